#pragma once

#include "proxy/board/board_reader.h"

namespace proxy {

// Fills `record` from the named board of the browser's message library.
// False, with the record untouched, when the board is empty or missing or
// its bytes are not a stream; RaZED::CastError when the stream does not
// hold a record of the expected shape.
bool ReadBoardRecord(BoardInitRecord& record, const wchar_t* boardName);

}  // namespace proxy
