// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/server_key.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <openssl/crypto.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

namespace {

std::runtime_error KeyFileError(const std::string &what, const std::string &path) {
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// Reads the whole key file; false when it does not exist. Opened without waiting (a FIFO
// put there would hang the start) and read only when it is a regular file of this user.
bool ReadKeyFile(const std::string &path, std::string &bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        throw KeyFileError("cannot open key file", path);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(fd);
        throw std::runtime_error("key file " + path +
                                 " is not a regular file of this user: refused");
    }
    if ((info.st_mode & 077) != 0) {
        // Another user who could read it could forge sessions and read file identifiers.
        ::close(fd);
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(info.st_mode & 07777));
        throw std::runtime_error("key file " + path + " has mode " + mode +
                                 ": other users may read or change it, so it is refused; "
                                 "make it private with: chmod 600 " +
                                 path);
    }
    bytes.clear();
    char buffer[256];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            ::close(fd);
            throw KeyFileError("cannot read key file", path);
        }
        if (got == 0) break;
        bytes.append(buffer, size_t(got));
        if (bytes.size() > 4096) break;
    }
    ::close(fd);
    return true;
}

// Writes a new key under a private name and links it into place; when another process
// was faster, its file stands and is read by the caller.
void CreateKeyFile(const std::string &path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder)) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            errno = error.value();
            throw KeyFileError("cannot create the folder of key file", path);
        }
        ::chmod(folder.c_str(), 0700);
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0) throw KeyFileError("cannot create key file", path);
    const std::string key = RandomBytes(TServerKey::KeySize);
    const bool written = ::write(fd, key.data(), key.size()) == ssize_t(key.size()) &&
                         ::fsync(fd) == 0;
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        throw KeyFileError("cannot write key file", path);
    }
    const int linked = ::link(temporary.c_str(), path.c_str());
    const int linkError = errno;
    ::unlink(temporary.c_str());
    if (linked != 0 && linkError != EEXIST) {
        errno = linkError;
        throw KeyFileError("cannot create key file", path);
    }
}

}  // namespace

std::string RandomBytes(size_t count) {
    std::string bytes(count, '\0');
    if (count > 0 &&
        RAND_bytes(reinterpret_cast<unsigned char *>(bytes.data()), int(count)) != 1)
        throw std::runtime_error("no random numbers available");
    return bytes;
}

TServerKey TServerKey::LoadOrCreate(const std::string &path) {
    std::string bytes;
    if (!ReadKeyFile(path, bytes)) {
        CreateKeyFile(path);
        if (!ReadKeyFile(path, bytes)) throw KeyFileError("cannot open key file", path);
    }
    if (bytes.size() != KeySize)
        throw std::runtime_error("key file " + path + " does not hold a key of " +
                                 std::to_string(KeySize) + " bytes");
    return FromBytes(bytes);
}

TServerKey TServerKey::FromBytes(std::string_view bytes) {
    if (bytes.size() != KeySize) throw std::runtime_error("a server key has 32 bytes");
    TServerKey key;
    std::memcpy(key.key_.data(), bytes.data(), KeySize);
    return key;
}

TServerKey::TMac TServerKey::Sign(std::string_view purpose, std::string_view message) const {
    // purpose, a NUL, then the message: no purpose is a prefix of another's input.
    std::string input;
    input.reserve(purpose.size() + 1 + message.size());
    input.append(purpose).push_back('\0');
    input.append(message);
    TMac mac{};
    unsigned int length = 0;
    if (HMAC(EVP_sha256(), key_.data(), int(key_.size()),
             reinterpret_cast<const unsigned char *>(input.data()), input.size(), mac.data(),
             &length) == nullptr ||
        length != mac.size())
        throw std::runtime_error("HMAC-SHA-256 failed");
    return mac;
}

bool TServerKey::Verify(std::string_view purpose, std::string_view message,
                        const TMac &mac) const {
    const TMac expected = Sign(purpose, message);
    return CRYPTO_memcmp(expected.data(), mac.data(), mac.size()) == 0;
}
