// Names: the wildcard match against a plain recursive matcher, and full
// paths formed into a buffer of exactly the size given, between guard bytes,
// against folding the components one by one.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "files/folder_search.h"
#include "files/full_path.h"

namespace {

using pkfuzz::Check;

// * any run of bytes, ? any one byte, every other byte itself.
bool Matches(std::string_view p, std::string_view n) {
    if (p.empty()) return n.empty();
    if (p[0] == '*') return Matches(p.substr(1), n) || (!n.empty() && Matches(p, n.substr(1)));
    return !n.empty() && (p[0] == '?' || p[0] == n[0]) && Matches(p.substr(1), n.substr(1));
}

// The full path of typed against cwd: components joined, "." dropped, ".."
// taking the one before. longest: the longest the path grows on the way.
std::string Fold(const std::string& cwd, const std::string& typed, size_t& longest) {
    const std::string path = (typed[0] == '/' ? "" : cwd + "/") + typed;
    std::string out;
    longest = 0;
    for (size_t i = 0, end; i <= path.size(); i = end + 1) {
        end = std::min(path.find('/', i), path.size());
        const std::string part = path.substr(i, end - i);
        if (part == "..") out.erase(std::min(out.rfind('/'), out.size()));
        else if (!part.empty() && part != ".") out += "/" + part, longest = std::max(longest, out.size());
    }
    return out.empty() ? "/" : out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // Few stars, so that the plain matcher stays quick.
    std::string pattern = in.ConsumeRandomLengthString(24);
    if (std::count(pattern.begin(), pattern.end(), '*') <= 6)
        for (int i = 0; i < 4; ++i) {
            std::string name = in.ConsumeRandomLengthString(32);
            Check(pk::WildcardMatch(pattern, name) == Matches(pattern, name), "wildcards match as the plain matcher");
        }

    constexpr size_t kGuard = 16;
    std::string cwd = in.ConsumeRandomLengthString(64);
    std::string typed = in.ConsumeRandomLengthString(64);
    size_t outSize = in.ConsumeIntegralInRange<size_t>(1, 80);
    cwd.resize(std::min(cwd.size(), cwd.find('\0')));
    if (cwd.empty() || cwd[0] != '/') cwd.insert(0, "/");
    std::vector<char> buffer(outSize + 2 * kGuard, '\x5A');
    char* out = buffer.data() + kGuard;
    uint32_t error = 0;
    bool haveCwd = in.ConsumeBool();
    size_t length = pk::FormFullPath(typed.c_str(), haveCwd ? cwd.c_str() : nullptr, EACCES, out, outSize, error);
    for (size_t i = 0; i < kGuard; ++i) Check(buffer[i] == '\x5A' && buffer[kGuard + outSize + i] == '\x5A', "guard bytes untouched");

    typed.resize(std::min(typed.size(), typed.find('\0')));
    size_t longest = 0;
    std::string want = typed.empty() ? "" : Fold(cwd, typed, longest);
    const uint32_t refused = typed.empty()                              ? ENOENT
                             : typed.size() >= outSize || outSize < 2   ? ENAMETOOLONG
                             : typed[0] != '/' && !haveCwd              ? EACCES
                             : longest >= outSize                       ? ENAMETOOLONG
                                                                        : 0;
    if (refused) Check(length == 0 && error == refused, "an empty, too long or relative name refused");
    else Check(length == want.size() && std::string(out) == want, "the folded path");
    return 0;
}
