#pragma once
#include <string>
#include <string_view>

// The password guarding private images is kept as an Argon2id hash string
// ("$argon2id$..."), never as the text typed. Older stores hold the plain
// text; such a value is still accepted until it is replaced by its hash.
// An empty stored value means that no password is set.

// True when `stored` is a hash made by HashPassword (a plain password of
// at most 20 characters can never be taken for one).
bool IsPasswordHash(std::u16string_view stored);

// The hash of `password` for storage, in `stored`; an empty password gives
// an empty value. 0, or a negative number when hashing failed (memory).
int HashPassword(std::u16string_view password, std::u16string& stored);

// Whether `typed` is the password `stored` stands for: exact and case
// sensitive, compared in constant time. An empty stored value matches only
// an empty text.
bool PasswordMatches(std::u16string_view stored, std::u16string_view typed);
