#include "desktop/SideCopy.h"

#include <memory>

int32_t CSideCopy::Copy(ISyncSide& from, const std::string& fromPath, ISyncSide& to,
                        const std::string& toFolder, const std::string& name, uint32_t time, uint32_t& kept) {
    std::string temp;
    if (int32_t err = CopyToTemporary(from, fromPath, to, toFolder, time, kept, temp)) return err;
    const int32_t result = to.Replace(temp, to.Join(toFolder, name));
    if (result != 0) to.Delete(temp);
    return result;
}

int32_t CSideCopy::CopyToTemporary(ISyncSide& from, const std::string& fromPath, ISyncSide& to,
                                   const std::string& toFolder, uint32_t time, uint32_t& kept, std::string& temp) {
    kept = time;
    std::unique_ptr<ISideWriter> out;
    if (int32_t err = to.CreateTemporary(toFolder, out)) return err;
    temp = out->Path();
    int32_t result = 0;
    {
        std::unique_ptr<ISideReader> in;
        result = from.OpenRead(fromPath, in);
        if (result == 0) result = Blocks(*in, *out);
        if (result == 0) result = out->Finish(time, kept);
    }
    out.reset();  // closed before it is renamed or removed
    if (result != 0) to.Delete(temp);
    return result;
}

int32_t CSideCopy::Blocks(ISideReader& in, ISideWriter& out) {
    for (;;) {
        uint32_t got = 0;
        if (int32_t err = out.WriteFrom(in, kBlockSize, got)) return err;
        if (int32_t stopped = m_tick()) return stopped;
        if (got < kBlockSize) return 0;
    }
}
