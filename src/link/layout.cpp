#include "layout.h"

#include <cstring>

namespace ecf {

bool buildRecord(const Layout& layout, uint8_t* record, const Argument* arguments,
                 std::size_t count) {
    std::memset(record, 0, layout.length);
    std::size_t k = 0;
    for (const Field& f : layout.fields) {
        if (!takesArgument(f.kind)) continue;
        if (k == count) return false;
        const Argument& a = arguments[k++];
        if (a.kind != Argument::Kind::notWritten &&
            (a.kind == Argument::Kind::text) != takesText(f.kind))
            return false;
    }
    if (k != count) return false;
    k = 0;
    for (const Field& f : layout.fields)
        writeField(record, f, layout.code,
                   takesArgument(f.kind) ? arguments[k++] : Argument(kNotWritten));
    return true;
}

}  // namespace ecf
