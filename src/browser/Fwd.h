#pragma once

// Declarations of this layer's types, for headers that only name them.
namespace browser {

class Browser_Window;
class Command_Scope;
class List_Model;
struct List_Row;
class frmQuery_doc;

} // namespace browser
