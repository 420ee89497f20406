// MD5 digests of game texts, and the stored digest that player profiles, game records
// and saved games keep beside their data to notice hand editing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The digest of one byte per character, as 32 upper-case hexadecimal digits;
// "" only when something inside failed.
std::string MD5(const std::string& text);

// The word operations of the digest, on 32-bit words with wrap-around addition.
uint32_t MD5_F(uint32_t x, uint32_t y, uint32_t z);
uint32_t MD5_G(uint32_t x, uint32_t y, uint32_t z);
uint32_t MD5_H(uint32_t x, uint32_t y, uint32_t z);
uint32_t MD5_I(uint32_t x, uint32_t y, uint32_t z);
uint32_t MD5_FF(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s, uint32_t t);
uint32_t MD5_GG(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s, uint32_t t);
uint32_t MD5_HH(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s, uint32_t t);
uint32_t MD5_II(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s, uint32_t t);
uint32_t RotateLeft(uint32_t x, uint32_t n);
// The four bytes of w, lowest first, each as two upper-case hexadecimal digits.
std::string WordToHex(uint32_t w);

// One stored digest. Callers assign `hash` straight from their files.
class Hash {
public:
    std::string hash;

    // Stores the digest of text; always 0.
    int UpdateHash(const std::string& text);
    // 1 when the digest of text equals the stored one exactly, letter case included.
    int TestHash(const std::string& text);
};
using HashPtr = std::shared_ptr<Hash>;
