#include "device/AesCtr.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

}  // namespace

int AesCtrEncrypt(const std::uint8_t* key, const std::uint8_t* source, int length,
                  std::uint8_t* destination, int capacity, const std::uint8_t* counterBlock) {
    if (source == nullptr) {
        std::fputs("Encrypt source is null.\n", stderr);
        return -1;
    }
    if (destination == nullptr) {
        std::fputs("Decrypt buffer is null.\n", stderr);
        return -1;
    }
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> context(EVP_CIPHER_CTX_new());
    if (!context || key == nullptr || counterBlock == nullptr ||
        EVP_EncryptInit_ex(context.get(), EVP_aes_256_ctr(), nullptr, key, counterBlock) != 1) {
        std::fputs("Could not set encryption key.", stderr);
        return -1;
    }

    // Piece by piece so that a short destination is noticed before anything past it is written.
    int produced = 0;
    while (produced < length) {
        const int piece = std::min(16, length - produced);
        if (capacity - produced < piece) {
            std::fprintf(stderr, "Decrypt buffer is not enough. [%d]\n", capacity);
            return -1;
        }
        unsigned char out[32];
        int written = 0;
        if (EVP_EncryptUpdate(context.get(), out, &written, source + produced, piece) != 1 ||
            written != piece) {
            return -1;
        }
        std::memcpy(destination + produced, out, static_cast<std::size_t>(piece));
        produced += piece;
    }
    return produced;
}
