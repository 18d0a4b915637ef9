#include "dialogs/PasswordHash.h"

#include <sodium.h>

#include <array>
#include <cerrno>

#include "platform/base/Text.h"

namespace {

constexpr std::u16string_view HASH_PREFIX = u"$argon2id$";
// Longer than any password the dialogs let the user type.
constexpr size_t MIN_HASH_LENGTH = 21;

bool InitSodium() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Digests of equal size compare in constant time whatever the lengths of
// the texts they stand for.
std::array<unsigned char, crypto_generichash_BYTES> Digest(std::u16string_view text) {
    const std::string utf8 = Utf16ToUtf8(text);
    std::array<unsigned char, crypto_generichash_BYTES> out{};
    crypto_generichash(out.data(), out.size(), reinterpret_cast<const unsigned char*>(utf8.data()),
                       utf8.size(), nullptr, 0);
    return out;
}

}  // namespace

bool IsPasswordHash(std::u16string_view stored) {
    return stored.size() >= MIN_HASH_LENGTH && stored.substr(0, HASH_PREFIX.size()) == HASH_PREFIX;
}

int HashPassword(std::u16string_view password, std::u16string& stored) {
    stored.clear();
    if (password.empty())
        return 0;
    if (!InitSodium())
        return -ENOSYS;
    const std::string utf8 = Utf16ToUtf8(password);
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(hash, utf8.data(), utf8.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return -ENOMEM;
    stored = Utf8ToUtf16(hash);
    return 0;
}

bool PasswordMatches(std::u16string_view stored, std::u16string_view typed) {
    if (stored.empty())
        return typed.empty();
    if (!InitSodium())
        return false;
    if (IsPasswordHash(stored)) {
        const std::string hash = Utf16ToUtf8(stored);
        const std::string utf8 = Utf16ToUtf8(typed);
        return crypto_pwhash_str_verify(hash.c_str(), utf8.data(), utf8.size()) == 0;
    }
    const auto a = Digest(stored);
    const auto b = Digest(typed);
    return sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}
