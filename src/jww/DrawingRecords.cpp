#include "jww/DrawingRecords.h"


namespace jww {

TEntJwwHeader::TEntJwwHeader() {
  for (int i = 1; i <= 8; ++i) {
    MarkJumpScale[i] = 1.0;
    MarkJumpGroup[i] = -1;
  }
}

void EntityList::ClearEntities() {
  EntityCount = 0;
  Order = {};
  Lines = {};
  Arcs = {};
  Points = {};
  Texts = {};
  Dims = {};
  Solids = {};
  Blocks = {};
}

}  // namespace jww
