// The lines of a text that a module reads one at a time, with their numbers in the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace standin {

// The lines of a class configuration or of one vessel's scenario block, kept in one buffer, each
// after its length: ten million short lines cost little more than their text (a string each would
// add forty bytes), and a line is handed out without a search for its end. The lines of the file
// that were not added (a block's blank lines and comments, the host's) take a byte each.
class SourceLines {
public:
    // Adds line `number` of its file, past every line added so far, without its line end.
    void Add(std::string_view line, int number);

    bool Empty() const { return text.empty(); }

    // The length of the longest line, found by walking them: a length kept beside every block
    // would cost each of a million vessels.
    std::size_t Longest() const;

    // Takes every line away and gives their storage back (an assignment would keep it).
    void Release() {
        std::string().swap(text);
        firstNumber = 0;
        nextNumber = 0;
    }

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
};

} // namespace standin
