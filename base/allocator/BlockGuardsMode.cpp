// Alone in its file, so that a program's own definition of the switch replaces it at link
// time (see BlockGuards.h).
#include "base/allocator/BlockGuards.h"

namespace Quorvel { namespace Base { namespace Allocator {

extern const bool kCheckBlockGuards = false;

}}} // namespace Quorvel::Base::Allocator
