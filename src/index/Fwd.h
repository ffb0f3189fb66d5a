#pragma once

// Declarations of this layer's types, for headers that only name them.
namespace text_index {

class Index_Queue;

} // namespace text_index
