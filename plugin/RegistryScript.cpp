#include "plugin/RegistryScript.h"

#include <cctype>
#include <vector>

namespace {

struct Value {
    std::wstring name;
    bool isNumber = false;
    std::wstring text;
    DWORD number = 0;
};

struct Key {
    enum Keep { kPlain, kNoRemove, kForceRemove } keep = kPlain;
    std::wstring name;
    bool hasDefault = false;
    std::wstring defaultText;
    std::vector<Value> values;
    std::vector<Key> keys;
};

class CParser {
public:
    CParser(const std::string& text, const std::wstring& module) : m_text(text), m_module(module) {}

    bool Parse(std::vector<std::pair<HKEY, Key>>& roots)
    {
        for (;;) {
            std::string word;
            if (!Word(word))
                return AtEnd();
            HKEY root = nullptr;
            if (word == "HKCR" || word == "HKEY_CLASSES_ROOT")
                root = HKEY_CLASSES_ROOT;
            else if (word == "HKLM" || word == "HKEY_LOCAL_MACHINE")
                root = HKEY_LOCAL_MACHINE;
            else if (word == "HKCU" || word == "HKEY_CURRENT_USER")
                root = HKEY_CURRENT_USER;
            else
                return false;
            Key key;
            key.keep = Key::kNoRemove;
            if (!Block(key, 0))
                return false;
            roots.emplace_back(root, std::move(key));
        }
    }

private:
    static constexpr int kDeepest = 32;

    void Skip()
    {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at])))
            ++m_at;
    }
    bool AtEnd()
    {
        Skip();
        return m_at >= m_text.size();
    }
    bool Take(char c)
    {
        Skip();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Peek(char c)
    {
        Skip();
        return m_at < m_text.size() && m_text[m_at] == c;
    }
    // A key or value name, a keyword or a type letter; a name may be a braced identifier,
    // told from a block's brace by having no blank before its closing brace.
    bool Word(std::string& word)
    {
        Skip();
        const size_t start = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '{') {
            const size_t close = m_text.find('}', m_at);
            if (close == std::string::npos)
                return false;
            for (size_t i = m_at + 1; i < close; ++i)
                if (std::isspace(static_cast<unsigned char>(m_text[i])))
                    return false;
            m_at = close + 1;
        } else {
            while (m_at < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[m_at])) ||
                                            m_text[m_at] == '-' || m_text[m_at] == '_' || m_text[m_at] == '.'))
                ++m_at;
        }
        word = m_text.substr(start, m_at - start);
        return !word.empty();
    }
    bool Quoted(std::wstring& out)
    {
        if (!Take('\''))
            return false;
        std::string bytes;
        for (;;) {
            if (m_at >= m_text.size())
                return false;
            const char c = m_text[m_at++];
            if (c == '\'') {
                if (m_at < m_text.size() && m_text[m_at] == '\'') {
                    bytes += '\'';
                    ++m_at;
                    continue;
                }
                break;
            }
            bytes += c;
        }
        out.clear();
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes.compare(i, 8, "%MODULE%") == 0) {
                out += m_module;
                i += 7;
            } else {
                out += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
            }
        }
        return true;
    }
    bool TypedValue(bool& isNumber, std::wstring& text, DWORD& number)
    {
        std::string type;
        if (!Word(type) || (type != "s" && type != "d") || !Quoted(text))
            return false;
        isNumber = type == "d";
        if (isNumber) {
            if (text.empty() || text.size() > 10)
                return false;
            unsigned long long value = 0;
            for (wchar_t c : text) {
                if (c < L'0' || c > L'9')
                    return false;
                value = value * 10 + static_cast<unsigned>(c - L'0');
            }
            if (value > 0xFFFFFFFFull)
                return false;
            number = static_cast<DWORD>(value);
        }
        return true;
    }
    bool Block(Key& key, int depth)
    {
        if (depth > kDeepest || !Take('{'))
            return false;
        while (!Take('}')) {
            std::string word;
            if (!Word(word))
                return false;
            if (word == "val") {
                Value value;
                std::string name;
                if (!Word(name) || !Take('=') || !TypedValue(value.isNumber, value.text, value.number))
                    return false;
                value.name.assign(name.begin(), name.end());
                key.values.push_back(std::move(value));
                continue;
            }
            Key child;
            if (word == "NoRemove" || word == "ForceRemove") {
                child.keep = word == "NoRemove" ? Key::kNoRemove : Key::kForceRemove;
                if (!Word(word))
                    return false;
            }
            child.name.assign(word.begin(), word.end());
            if (Take('=')) {
                bool isNumber = false;
                DWORD number = 0;
                if (!TypedValue(isNumber, child.defaultText, number) || isNumber)
                    return false;
                child.hasDefault = true;
            }
            if (Peek('{') && !Block(child, depth + 1))
                return false;
            key.keys.push_back(std::move(child));
        }
        return true;
    }

    const std::string& m_text;
    const std::wstring& m_module;
    size_t m_at = 0;
};

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& text)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG Register(HKEY parent, const Key& key)
{
    if (key.keep == Key::kForceRemove) {
        const LONG removed = RegDeleteTreeW(parent, key.name.c_str());
        if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND)
            return removed;
    }
    HKEY handle = nullptr;
    LONG result = RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    if (key.hasDefault)
        result = SetString(handle, nullptr, key.defaultText);
    for (size_t i = 0; result == ERROR_SUCCESS && i < key.values.size(); ++i) {
        const Value& value = key.values[i];
        result = value.isNumber ? RegSetValueExW(handle, value.name.c_str(), 0, REG_DWORD,
                                                 reinterpret_cast<const BYTE*>(&value.number), sizeof(DWORD))
                                : SetString(handle, value.name.c_str(), value.text);
    }
    for (size_t i = 0; result == ERROR_SUCCESS && i < key.keys.size(); ++i)
        result = Register(handle, key.keys[i]);
    RegCloseKey(handle);
    return result;
}

LONG Unregister(HKEY parent, const Key& key)
{
    if (key.keep != Key::kNoRemove) {
        const LONG removed = RegDeleteTreeW(parent, key.name.c_str());
        return removed == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : removed;
    }
    HKEY handle = nullptr;
    const LONG opened = RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_ALL_ACCESS, &handle);
    if (opened == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (opened != ERROR_SUCCESS)
        return opened;
    LONG result = ERROR_SUCCESS;
    for (const Value& value : key.values) {
        const LONG removed = RegDeleteValueW(handle, value.name.c_str());
        if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND && result == ERROR_SUCCESS)
            result = removed;
    }
    for (const Key& child : key.keys) {
        const LONG removed = Unregister(handle, child);
        if (removed != ERROR_SUCCESS && result == ERROR_SUCCESS)
            result = removed;
    }
    RegCloseKey(handle);
    return result;
}

} // namespace

HRESULT ApplyRegistryScript(const std::string& script, const std::wstring& modulePath, bool registering)
{
    std::vector<std::pair<HKEY, Key>> roots;
    CParser parser(script, modulePath);
    if (!parser.Parse(roots))
        return E_INVALIDARG;
    for (const auto& root : roots) {
        for (const Key& key : root.second.keys) {
            const LONG result = registering ? Register(root.first, key) : Unregister(root.first, key);
            if (result != ERROR_SUCCESS)
                return HRESULT_FROM_WIN32(result);
        }
    }
    return S_OK;
}
