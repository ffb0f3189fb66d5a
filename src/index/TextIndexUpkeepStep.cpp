// The background upkeep a reader runs when no file waits: nothing to do yet.

#include "index/TextIndex.h"

namespace text_index {

bool Upkeep_Step(db::Connection&) {
    return false;
}

} // namespace text_index
