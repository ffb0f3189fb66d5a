#pragma once

// Declarations of this layer's types, for headers that only name them.
namespace db {

class Connection;
class Error;
class Result;

} // namespace db
