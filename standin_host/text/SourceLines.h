// The lines of a text that a module reads one at a time, with their numbers in the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace standin {

// The lines of a class configuration or of one vessel's scenario block. They are kept in one
// buffer, each after its length, so that ten million short lines cost little more than their text
// where a string for each would cost forty bytes more, and a line is handed out without a search
// for its end; their numbers count on from the first.
class SourceLines {
public:
    // Whether a reader is handed the lines that hold nothing: a class configuration hands out
    // every line; a scenario block leaves out its blank lines and comments, which are the host's.
    enum class Blank { HandedOut, LeftOut };

    SourceLines() = default;
    explicit SourceLines(Blank blank) : blank(blank) {}

    // Adds the line found at `number` in its file, past every line added so far; it holds no line
    // end. Where blank lines are handed out, each line follows the last. Where they are left out,
    // an empty line is not added, and the lines skipped in between are kept as empty ones, so that
    // the numbers still count on.
    void Add(std::string_view line, int number);

    // True when no line was added.
    bool Empty() const { return text.empty(); }

    // Hands the lines out in order.
    class Cursor {
    public:
        explicit Cursor(const SourceLines &lines) : lines(&lines), number(lines.firstNumber - 1) {}

        // The next line and its number in the file; false after the last.
        bool Next(std::string_view &line, int &lineNumber);

    private:
        const SourceLines *lines;
        std::size_t position = 0;
        int number;
    };

private:
    std::string text;
    int firstNumber = 0;
    int nextNumber = 0; // the number that a line added straight after the last would have
    Blank blank = Blank::HandedOut;
};

} // namespace standin
