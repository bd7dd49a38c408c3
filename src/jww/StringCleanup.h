// The writer's clean-up of the strings of a drawing.
#pragma once

#include "jww/JwwString.h"

namespace jww {

class ArchiveWriter;

// The writer's clean-up of a string: control characters and "^m" pairs dropped, and a
// result that is empty written as one space.
JwwString CleanForWrite(const JwwString& s);
// Writes a string through the writer's clean-up, copying it only when something changes.
void WriteCleanString(ArchiveWriter& ar, const JwwString& s);
// True when the string holds nothing but blanks (ASCII or ideographic) and controls.
bool IsBlank(const JwwString& s);

}  // namespace jww
