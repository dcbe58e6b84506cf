// The Picture primitive: kind Byte, Integer end position, the graphic's bytes.
// A reader always resumes at the end position, whatever it understood.
#pragma once

#include "platform/graphic.h"
#include "platform/stream.h"

#include <memory>

// Kind 0 (and any graphic-less picture) writes no data.
void writePicture(platform::Stream& s, const platform::Graphic* graphic);

// A graphic of the stored kind, or none for kind 0 and unknown kinds. Data
// that cannot be decoded is kept in the graphic. An end position before the
// data or past the stream's end is a StreamError.
std::unique_ptr<platform::Graphic> readPicture(platform::Stream& s);
