#include "app/narrelo_say/say_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "foundation/code_page.h"
#include "foundation/exceptions.h"
#include "foundation/speech_text.h"

std::string ReadingText(std::string_view text, int32_t &leftOut) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.substr(0, bom.size()) == bom) text.remove_prefix(bom.size());
    return cp1254::FromUtf8ForSpeech(text, leftOut);
}

std::string ReadAllInput(const std::string &path, const std::atomic<bool> &interrupted) {
    const bool standardInput = path == "-";
    const int fd = standardInput ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) RaiseError("File Not Opened %s", path.c_str());
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, size_t(n));
            continue;
        }
        if (n == 0) break;
        if (errno == EINTR && !interrupted) continue;
        if (errno == EINTR) break;
        if (!standardInput) close(fd);
        RaiseError("File Not Readed %s", path.c_str());
    }
    if (!standardInput) close(fd);
    return bytes;
}
