#pragma once
// What every fuzz target shares: one application on the offscreen platform, made before the
// first input, with the program's controls registered and its reports silenced (a rejected
// value or a library warning is an expected answer to a broken input, not a finding).
//
// A finding is a crash, a sanitizer report, an exception the code under test does not promise,
// or a broken invariant: Check() aborts with the reason, and libFuzzer keeps the input.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

void StartApplication(int* argc, char*** argv);

// Aborts the run naming the invariant that does not hold.
void Check(bool holds, const std::string& what);

// Reads the input front to back; past its end every read gives zero.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : mData(data), mSize(size) {}
    std::uint8_t Byte() { return mPos < mSize ? mData[mPos++] : 0; }
    std::uint16_t U16() { return std::uint16_t(Byte() | Byte() << 8); }
    std::int32_t I32() { return std::int32_t(std::uint32_t(U16()) | std::uint32_t(U16()) << 16); }
    // A value from lo to hi inclusive.
    std::int32_t In(std::int32_t lo, std::int32_t hi) {
        return lo + std::int32_t(std::uint32_t(I32()) % std::uint32_t(hi - lo + 1));
    }
    bool Empty() const { return mPos >= mSize; }
    // What is left, as bytes.
    std::string Rest() {
        std::string s(reinterpret_cast<const char*>(mData) + mPos, mSize - mPos);
        mPos = mSize;
        return s;
    }

private:
    const std::uint8_t* mData;
    std::size_t mSize;
    std::size_t mPos = 0;
};

}  // namespace fuzz
