#pragma once

// Declarations of this layer's types, for headers that only name them.
namespace shell {

class Hourglass;
class Main_Menus;
class Menu_State;
class Prompter;
class Status_Strip;

} // namespace shell
