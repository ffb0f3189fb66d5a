#pragma once

#include "TestEnv.h"
#include "browser/Browser.h"
#include "browser/CatalogueTree.h"

#include <QStringList>

// Records what the browser's logic asks of its window; nodes by key.
struct Fake_Browser_Window : browser::Browser_Window {
    QStringList calls, edits;
    void Pop_Up_Menu(const QString& menu, const shell::Menu_State&) override {
        calls << u"popup "_s + menu;
    }
    void Collapse_Node(const QModelIndex& node) override {
        calls << u"collapse "_s + node.data(browser::Catalogue_Tree::Key_Role).toString();
    }
    void Set_Group_Text(const QString& text) override { calls << u"group "_s + text; }
    void Autosize_List() override { calls << u"autosize"_s; }
    void Pump_Events() override {}
    void Edit_Tree_Node(const QModelIndex& node) override {
        edits << node.data(browser::Catalogue_Tree::Key_Role).toString();
    }
};
