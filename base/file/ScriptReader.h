#pragma once
#include <cstdint>
#include <string>

namespace Quorvel { namespace Base { namespace File {

// Reads a whole text file and hands it out one logical line at a time, split into tokens.
// Shift-JIS aware: a lead byte and the byte after it are one character, never split and
// never a separator (even when that byte is a line feed, a space or a comma). Carriage
// returns are dropped, blank lines skipped, "//" comments removed.
//
// Flags may change between ReadLine calls and apply from the next line:
//  - separateBySpace: a space or tab ends a token (only together with separateByComma);
//  - separateByComma: a comma ends a token;
//  - squeezeSpaces: runs of spaces/tabs shrink to their first character, and one leading
//    space of the line is skipped;
//  - squeezeCommas: runs of commas shrink to one.
class CScriptReader {
public:
    CScriptReader() = default;
    virtual ~CScriptReader();
    CScriptReader(const CScriptReader&) = delete;
    CScriptReader& operator=(const CScriptReader&) = delete;

    // Reads the whole file (through CFile, so packs stand in for missing files). False, and
    // the reader unchanged, when the file cannot be opened or its buffer cannot be had.
    bool Open(const char* path);

    // Empties tokens[0..count), then fills up to count tokens from the next non-empty line.
    // False, with every token empty, when no line is left.
    bool ReadLine(std::string* tokens, int count);

    int32_t GetLineCount() const { return m_lineCount; }
    int32_t GetSize() const { return m_size; }

    bool GetSeparateBySpace() const { return m_separateBySpace; }
    bool GetSeparateByComma() const { return m_separateByComma; }
    bool GetSqueezeSpaces() const { return m_squeezeSpaces; }
    bool GetSqueezeCommas() const { return m_squeezeCommas; }
    void SetSeparateBySpace(bool on) { m_separateBySpace = on; }
    void SetSeparateByComma(bool on) { m_separateByComma = on; }
    void SetSqueezeSpaces(bool on) { m_squeezeSpaces = on; }
    void SetSqueezeCommas(bool on) { m_squeezeCommas = on; }
    // Every line comes back whole in token 0 (bar comments and carriage returns).
    void ClearFlags();
    // Splits one line of text as ReadLine would with the current flags.
    void SplitLine(const std::string& line, std::string* tokens, int count) const;

private:
    bool IsExhausted() const { return m_cursor - m_buffer > m_size; }
    bool GatherRawLine(std::string& raw);
    std::string CleanLine(const std::string& raw) const;
    void Split(const std::string& line, std::string* tokens, int count) const;
    void Release();

    char* m_buffer = nullptr;
    const char* m_cursor = nullptr;
    int32_t m_size = 0;
    int32_t m_lineCount = 0;
    bool m_separateBySpace = true;
    bool m_separateByComma = true;
    bool m_squeezeSpaces = true;
    bool m_squeezeCommas = false;
};

}}} // namespace Quorvel::Base::File
