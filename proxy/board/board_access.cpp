#include "proxy/board/board_access.h"

#include <climits>
#include <vector>

#include "frame/unique_object.h"
#include "stand_ins/razed/razed.h"
#include "stand_ins/rovud/rovud.h"
#include "ult/dst_buf.h"

namespace proxy {

namespace {

struct StreamTraits {
    using Value = RaZED::IStream*;
    static Value Invalid() { return nullptr; }
    static void Close(Value stream) { stream->Release(); }
};

}  // namespace

bool ReadBoardRecord(BoardInitRecord& record, const wchar_t* boardName) {
    std::vector<unsigned char> bytes;
    ult::variable_length_array_dst<std::vector<unsigned char>> destination(&bytes);
    KtGetGlobalBoard(boardName, &destination);
    if (bytes.empty() || bytes.size() > UINT_MAX) return false;

    const UniqueObject<StreamTraits> stream(RaZEDCreateIStream(bytes.data(), static_cast<unsigned>(bytes.size())));
    if (!stream || !stream.get()->Good()) return false;
    BoardInitRecord decoded;
    BoardReader reader(*stream.get());
    reader >> decoded;
    record = std::move(decoded);
    return true;
}

}  // namespace proxy
