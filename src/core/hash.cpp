// MD5 (RFC 1321) over the game's one-byte-per-character texts, and the stored digest
// the player and saved-game files are checked against.
#include "core/hash.h"

#include <vector>

#include "core/globals.h"

uint32_t MD5_F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
uint32_t MD5_G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) | (y & ~z); }
uint32_t MD5_H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
uint32_t MD5_I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

uint32_t RotateLeft(uint32_t x, uint32_t n) {
    n &= 31;
    return n == 0 ? x : (x << n) | (x >> (32 - n));
}

uint32_t MD5_FF(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s, uint32_t t) {
    return b + RotateLeft(a + MD5_F(b, c, d) + x + t, s);
}
uint32_t MD5_GG(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s, uint32_t t) {
    return b + RotateLeft(a + MD5_G(b, c, d) + x + t, s);
}
uint32_t MD5_HH(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s, uint32_t t) {
    return b + RotateLeft(a + MD5_H(b, c, d) + x + t, s);
}
uint32_t MD5_II(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s, uint32_t t) {
    return b + RotateLeft(a + MD5_I(b, c, d) + x + t, s);
}

std::string WordToHex(uint32_t w) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < 4; ++i) {
        uint32_t byte = (w >> (8 * i)) & 0xFF;
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

namespace {

// The sixteen-word blocks of the whole message: its bytes, the 0x80 mark, zeros and
// the length in bits, laid out at once.
std::vector<uint32_t> LayOutMessage(const std::string& text) {
    uint64_t length = text.size();
    size_t blocks = static_cast<size_t>((length + 8) / 64 + 1);
    std::vector<uint32_t> words(blocks * 16, 0);
    for (size_t k = 0; k < text.size(); ++k) {
        words[k / 4] |= static_cast<uint32_t>(static_cast<unsigned char>(text[k])) << (8 * (k % 4));
    }
    words[text.size() / 4] |= 0x80u << (8 * (text.size() % 4));
    // The RFC's 64-bit length field; its high word is zero for any text the game holds.
    uint64_t bits = length * 8;
    words[words.size() - 2] = static_cast<uint32_t>(bits);
    words[words.size() - 1] = static_cast<uint32_t>(bits >> 32);
    return words;
}

}  // namespace

std::string MD5(const std::string& text) {
    return Guarded("hash:MD5() ", std::string(), [&] {
        std::vector<uint32_t> x = LayOutMessage(text);
        uint32_t a = 0x67452301, b = 0xEFCDAB89, c = 0x98BADCFE, d = 0x10325476;
        for (size_t k = 0; k < x.size(); k += 16) {
            const uint32_t* m = &x[k];
            uint32_t aa = a, bb = b, cc = c, dd = d;

            a = MD5_FF(a, b, c, d, m[0], 7, 0xD76AA478);
            d = MD5_FF(d, a, b, c, m[1], 12, 0xE8C7B756);
            c = MD5_FF(c, d, a, b, m[2], 17, 0x242070DB);
            b = MD5_FF(b, c, d, a, m[3], 22, 0xC1BDCEEE);
            a = MD5_FF(a, b, c, d, m[4], 7, 0xF57C0FAF);
            d = MD5_FF(d, a, b, c, m[5], 12, 0x4787C62A);
            c = MD5_FF(c, d, a, b, m[6], 17, 0xA8304613);
            b = MD5_FF(b, c, d, a, m[7], 22, 0xFD469501);
            a = MD5_FF(a, b, c, d, m[8], 7, 0x698098D8);
            d = MD5_FF(d, a, b, c, m[9], 12, 0x8B44F7AF);
            c = MD5_FF(c, d, a, b, m[10], 17, 0xFFFF5BB1);
            b = MD5_FF(b, c, d, a, m[11], 22, 0x895CD7BE);
            a = MD5_FF(a, b, c, d, m[12], 7, 0x6B901122);
            d = MD5_FF(d, a, b, c, m[13], 12, 0xFD987193);
            c = MD5_FF(c, d, a, b, m[14], 17, 0xA679438E);
            b = MD5_FF(b, c, d, a, m[15], 22, 0x49B40821);

            a = MD5_GG(a, b, c, d, m[1], 5, 0xF61E2562);
            d = MD5_GG(d, a, b, c, m[6], 9, 0xC040B340);
            c = MD5_GG(c, d, a, b, m[11], 14, 0x265E5A51);
            b = MD5_GG(b, c, d, a, m[0], 20, 0xE9B6C7AA);
            a = MD5_GG(a, b, c, d, m[5], 5, 0xD62F105D);
            d = MD5_GG(d, a, b, c, m[10], 9, 0x02441453);
            c = MD5_GG(c, d, a, b, m[15], 14, 0xD8A1E681);
            b = MD5_GG(b, c, d, a, m[4], 20, 0xE7D3FBC8);
            a = MD5_GG(a, b, c, d, m[9], 5, 0x21E1CDE6);
            d = MD5_GG(d, a, b, c, m[14], 9, 0xC33707D6);
            c = MD5_GG(c, d, a, b, m[3], 14, 0xF4D50D87);
            b = MD5_GG(b, c, d, a, m[8], 20, 0x455A14ED);
            a = MD5_GG(a, b, c, d, m[13], 5, 0xA9E3E905);
            d = MD5_GG(d, a, b, c, m[2], 9, 0xFCEFA3F8);
            c = MD5_GG(c, d, a, b, m[7], 14, 0x676F02D9);
            b = MD5_GG(b, c, d, a, m[12], 20, 0x8D2A4C8A);

            a = MD5_HH(a, b, c, d, m[5], 4, 0xFFFA3942);
            d = MD5_HH(d, a, b, c, m[8], 11, 0x8771F681);
            c = MD5_HH(c, d, a, b, m[11], 16, 0x6D9D6122);
            b = MD5_HH(b, c, d, a, m[14], 23, 0xFDE5380C);
            a = MD5_HH(a, b, c, d, m[1], 4, 0xA4BEEA44);
            d = MD5_HH(d, a, b, c, m[4], 11, 0x4BDECFA9);
            c = MD5_HH(c, d, a, b, m[7], 16, 0xF6BB4B60);
            b = MD5_HH(b, c, d, a, m[10], 23, 0xBEBFBC70);
            a = MD5_HH(a, b, c, d, m[13], 4, 0x289B7EC6);
            d = MD5_HH(d, a, b, c, m[0], 11, 0xEAA127FA);
            c = MD5_HH(c, d, a, b, m[3], 16, 0xD4EF3085);
            b = MD5_HH(b, c, d, a, m[6], 23, 0x04881D05);
            a = MD5_HH(a, b, c, d, m[9], 4, 0xD9D4D039);
            d = MD5_HH(d, a, b, c, m[12], 11, 0xE6DB99E5);
            c = MD5_HH(c, d, a, b, m[15], 16, 0x1FA27CF8);
            b = MD5_HH(b, c, d, a, m[2], 23, 0xC4AC5665);

            a = MD5_II(a, b, c, d, m[0], 6, 0xF4292244);
            d = MD5_II(d, a, b, c, m[7], 10, 0x432AFF97);
            c = MD5_II(c, d, a, b, m[14], 15, 0xAB9423A7);
            b = MD5_II(b, c, d, a, m[5], 21, 0xFC93A039);
            a = MD5_II(a, b, c, d, m[12], 6, 0x655B59C3);
            d = MD5_II(d, a, b, c, m[3], 10, 0x8F0CCC92);
            c = MD5_II(c, d, a, b, m[10], 15, 0xFFEFF47D);
            b = MD5_II(b, c, d, a, m[1], 21, 0x85845DD1);
            a = MD5_II(a, b, c, d, m[8], 6, 0x6FA87E4F);
            d = MD5_II(d, a, b, c, m[15], 10, 0xFE2CE6E0);
            c = MD5_II(c, d, a, b, m[6], 15, 0xA3014314);
            b = MD5_II(b, c, d, a, m[13], 21, 0x4E0811A1);
            a = MD5_II(a, b, c, d, m[4], 6, 0xF7537E82);
            d = MD5_II(d, a, b, c, m[11], 10, 0xBD3AF235);
            c = MD5_II(c, d, a, b, m[2], 15, 0x2AD7D2BB);
            b = MD5_II(b, c, d, a, m[9], 21, 0xEB86D391);

            a += aa;
            b += bb;
            c += cc;
            d += dd;
        }
        return WordToHex(a) + WordToHex(b) + WordToHex(c) + WordToHex(d);
    });
}

int Hash::UpdateHash(const std::string& text) {
    return Guarded("hash:Hash.UpdateHash() ", 0, [&] {
        // An empty digest means MD5 failed (and logged); keep what was stored.
        std::string digest = MD5(text);
        if (!digest.empty()) hash = digest;
        return 0;
    });
}

int Hash::TestHash(const std::string& text) {
    return Guarded("hash:Hash.TestHash() ", 0, [&] {
        // A failed digest is empty and must not match an empty stored one.
        std::string digest = MD5(text);
        return !digest.empty() && digest == hash ? 1 : 0;
    });
}
