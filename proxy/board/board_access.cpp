#include "proxy/board/board_access.h"

#include <climits>
#include <memory>
#include <vector>

#include "stand_ins/razed/razed.h"
#include "stand_ins/rovud/rovud.h"
#include "ult/dst_buf.h"

namespace {

struct ReleaseStream {
    void operator()(RaZED::IStream* stream) const { stream->Release(); }
};
using StreamOwner = std::unique_ptr<RaZED::IStream, ReleaseStream>;

}  // namespace

bool ReadBoardRecord(BoardInitRecord& record, const wchar_t* boardName) {
    std::vector<unsigned char> bytes;
    ult::variable_length_array_dst<std::vector<unsigned char>> destination(&bytes);
    KtGetGlobalBoard(boardName, &destination);
    if (bytes.empty() || bytes.size() > UINT_MAX) return false;

    const StreamOwner stream(RaZEDCreateIStream(bytes.data(), static_cast<unsigned>(bytes.size())));
    if (!stream || !stream->Good()) return false;
    BoardInitRecord decoded;
    BoardReader reader(*stream);
    reader >> decoded;
    record = std::move(decoded);
    return true;
}
