#pragma once

#include "browser/Browser.h"
#include "browser/CatalogueTree.h"

#include <QStringList>

// Records what the browser's logic asks of its window; nodes by key.
struct Fake_Browser_Window : browser::Browser_Window {
    QStringList calls, edits;
    void Pop_Up_Menu(const QString& menu, const shell::Menu_State&) override {
        calls << QStringLiteral("popup ") + menu;
    }
    void Collapse_Node(const QModelIndex& node) override {
        calls << QStringLiteral("collapse ") +
                     node.data(browser::Catalogue_Tree::Key_Role).toString();
    }
    void Set_Group_Text(const QString& text) override { calls << QStringLiteral("group ") + text; }
    void Autosize_List() override { calls << QStringLiteral("autosize"); }
    void Pump_Events() override {}
    void Edit_Tree_Node(const QModelIndex& node) override {
        edits << node.data(browser::Catalogue_Tree::Key_Role).toString();
    }
};
