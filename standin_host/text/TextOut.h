// Text handed on in chunks as it is made, so that a large text (a saved scenario of a million
// vessels) never stands in memory whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace standin {

class TextOut {
public:
    TextOut &operator<<(std::string_view text) {
        buffer.append(text);
        if (buffer.size() >= chunkSize) {
            Drain();
        }
        return *this;
    }
    TextOut &operator<<(char c) {
        buffer.push_back(c);
        return *this;
    }
    // Hands on what the buffer holds.
    void Drain() {
        if (!buffer.empty()) {
            Emit(buffer);
            buffer.clear();
        }
    }

protected:
    TextOut() { buffer.reserve(chunkSize + 1024); }
    ~TextOut() = default;
    TextOut(const TextOut &) = delete;
    TextOut &operator=(const TextOut &) = delete;

    // Takes a chunk of the text, in order.
    virtual void Emit(std::string_view text) = 0;
    // Forgets what the buffer holds.
    void Drop() { buffer.clear(); }

private:
    static constexpr std::size_t chunkSize = std::size_t{1} << 16;
    std::string buffer;
};

// The whole text in one string.
class StringOut final : public TextOut {
public:
    const std::string &Text() {
        Drain();
        return text;
    }

private:
    void Emit(std::string_view chunk) override { text.append(chunk); }
    std::string text;
};

} // namespace standin
