#include "com/Registrar.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include <cwctype>

namespace ycom {

namespace {

struct Token {
    enum Kind { End, Word, Quoted, Open, Close, Equals, Bad } kind = End;
    std::wstring text;
};

class Lexer {
public:
    Lexer(const std::wstring& text, const std::map<std::wstring, std::wstring>& vars) : m_s(text), m_vars(vars) {}

    Token Next()
    {
        SkipSpace();
        Token t;
        if (m_pos >= m_s.size())
            return t;
        const wchar_t c = m_s[m_pos];
        if (c == L'{' && IsGuidAt(m_pos)) {
            // A bare class or library identifier in braces is a key name, not a block.
            t.kind = Token::Word;
            t.text = m_s.substr(m_pos, 38);
            m_pos += 38;
            return t;
        }
        if (c == L'{' || c == L'}' || c == L'=') {
            ++m_pos;
            t.kind = c == L'{' ? Token::Open : c == L'}' ? Token::Close : Token::Equals;
            return t;
        }
        std::wstring raw;
        if (c == L'\'') {
            ++m_pos;
            for (;;) {
                if (m_pos >= m_s.size()) {
                    t.kind = Token::Bad;
                    t.text = L"unterminated quoted text";
                    return t;
                }
                if (m_s[m_pos] == L'\'') {
                    if (m_pos + 1 < m_s.size() && m_s[m_pos + 1] == L'\'') {
                        raw += L'\'';
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                raw += m_s[m_pos++];
            }
            t.kind = Token::Quoted;
        } else {
            while (m_pos < m_s.size() && !std::iswspace(m_s[m_pos]) && m_s[m_pos] != L'{' &&
                   m_s[m_pos] != L'}' && m_s[m_pos] != L'=' && m_s[m_pos] != L'\'')
                raw += m_s[m_pos++];
            t.kind = Token::Word;
        }
        if (!Substitute(raw, t.text)) {
            t.kind = Token::Bad;
            t.text = L"unknown replacement in " + raw;
        }
        return t;
    }

private:
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} at `pos`.
    bool IsGuidAt(size_t pos) const
    {
        if (pos + 38 > m_s.size() || m_s[pos + 37] != L'}')
            return false;
        for (size_t i = 1; i < 37; ++i) {
            const wchar_t ch = m_s[pos + i];
            const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
            if (dash ? ch != L'-' : !std::iswxdigit(ch))
                return false;
        }
        return true;
    }

    void SkipSpace()
    {
        for (;;) {
            while (m_pos < m_s.size() && (std::iswspace(m_s[m_pos]) || m_s[m_pos] == 0xFEFF))
                ++m_pos;
            if (m_pos + 1 < m_s.size() && m_s[m_pos] == L'/' && m_s[m_pos + 1] == L'/') {
                while (m_pos < m_s.size() && m_s[m_pos] != L'\n')
                    ++m_pos;
                continue;
            }
            return;
        }
    }

    bool Substitute(const std::wstring& in, std::wstring& out) const
    {
        out.clear();
        for (size_t i = 0; i < in.size(); ++i) {
            if (in[i] != L'%') {
                out += in[i];
                continue;
            }
            const size_t end = in.find(L'%', i + 1);
            if (end == std::wstring::npos)
                return false;
            const std::wstring name = in.substr(i + 1, end - i - 1);
            if (name.empty()) {
                out += L'%';
            } else {
                auto found = m_vars.find(name);
                if (found == m_vars.end())
                    return false;
                out += found->second;
            }
            i = end;
        }
        return true;
    }

    const std::wstring& m_s;
    const std::map<std::wstring, std::wstring>& m_vars;
    size_t m_pos = 0;
};

class Parser {
public:
    Parser(const std::wstring& text, const std::map<std::wstring, std::wstring>& vars) : m_lex(text, vars) { Advance(); }

    bool ParseScript(std::vector<Registrar::Root>& roots)
    {
        while (m_tok.kind != Token::End) {
            Registrar::Root root;
            if (m_tok.kind != Token::Word || !(root.hive = HiveOf(m_tok.text)))
                return Fail(L"expected a root key");
            Advance();
            if (!Expect(Token::Open) || !ParseKeys(root.keys, false))
                return false;
            roots.push_back(std::move(root));
        }
        return true;
    }

    std::wstring error;

private:
    static HKEY HiveOf(const std::wstring& name)
    {
        if (name == L"HKCR" || name == L"HKEY_CLASSES_ROOT")
            return HKEY_CLASSES_ROOT;
        if (name == L"HKCU" || name == L"HKEY_CURRENT_USER")
            return HKEY_CURRENT_USER;
        if (name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE")
            return HKEY_LOCAL_MACHINE;
        return nullptr;
    }

    void Advance() { m_tok = m_lex.Next(); }

    bool Fail(const std::wstring& what)
    {
        if (error.empty())
            error = m_tok.kind == Token::Bad ? m_tok.text : what;
        return false;
    }

    bool Expect(Token::Kind kind)
    {
        if (m_tok.kind != kind)
            return Fail(L"unexpected token");
        Advance();
        return true;
    }

    bool IsName() const { return m_tok.kind == Token::Word || m_tok.kind == Token::Quoted; }

    bool ParseValue(Registrar::Value& v)
    {
        if (m_tok.kind != Token::Word || (m_tok.text != L"s" && m_tok.text != L"d"))
            return Fail(L"expected a value type s or d");
        v.type = m_tok.text[0];
        Advance();
        if (m_tok.kind != Token::Quoted && m_tok.kind != Token::Word)
            return Fail(L"expected a value");
        v.text = m_tok.text;
        Advance();
        return true;
    }

    // Keys up to the closing brace; `allowValues` inside a key's body.
    bool ParseKeys(std::vector<Registrar::Key>& keys, bool allowValues, Registrar::Key* owner = nullptr)
    {
        for (;;) {
            if (m_tok.kind == Token::Close) {
                Advance();
                return true;
            }
            if (!IsName())
                return Fail(L"expected a key name");
            if (allowValues && m_tok.kind == Token::Word && m_tok.text == L"val") {
                Advance();
                Registrar::Value v;
                if (!IsName())
                    return Fail(L"expected a value name");
                v.name = m_tok.text;
                Advance();
                if (!Expect(Token::Equals) || !ParseValue(v))
                    return false;
                owner->values.push_back(std::move(v));
                continue;
            }
            Registrar::Key key;
            if (m_tok.kind == Token::Word && (m_tok.text == L"NoRemove" || m_tok.text == L"ForceRemove")) {
                key.flag = m_tok.text == L"NoRemove" ? Registrar::Key::NoRemove : Registrar::Key::ForceRemove;
                Advance();
                if (!IsName())
                    return Fail(L"expected a key name");
            }
            key.name = m_tok.text;
            if (key.name.empty())
                return Fail(L"empty key name");
            Advance();
            if (m_tok.kind == Token::Equals) {
                Advance();
                key.hasDefault = true;
                if (!ParseValue(key.defaultValue))
                    return false;
            }
            if (m_tok.kind == Token::Open) {
                Advance();
                if (!ParseKeys(key.children, true, &key))
                    return false;
            }
            keys.push_back(std::move(key));
        }
    }

    Lexer m_lex;
    Token m_tok;
};

LONG SetValue(HKEY key, const Registrar::Value& v, const wchar_t* name)
{
    if (v.type == L'd') {
        const DWORD number = static_cast<DWORD>(wcstoul(v.text.c_str(), nullptr, 0));
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.text.c_str()),
                          static_cast<DWORD>((v.text.size() + 1) * sizeof(wchar_t)));
}

HRESULT InstallKey(HKEY parent, const Registrar::Key& k)
{
    if (k.flag == Registrar::Key::ForceRemove) {
        const LONG rc = RegDeleteTreeW(parent, k.name.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
            return HRESULT_FROM_WIN32(static_cast<DWORD>(rc));
    }
    RegKey key;
    RETURN_IF_WIN32_ERROR(RegCreateKeyExW(parent, k.name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                                          nullptr, key.Put(), nullptr));
    if (k.hasDefault)
        RETURN_IF_WIN32_ERROR(SetValue(key.Get(), k.defaultValue, nullptr));
    for (const Registrar::Value& v : k.values)
        RETURN_IF_WIN32_ERROR(SetValue(key.Get(), v, v.name.c_str()));
    for (const Registrar::Key& child : k.children)
        RETURN_IF_FAILED(InstallKey(key.Get(), child));
    return S_OK;
}

HRESULT RemoveKey(HKEY parent, const Registrar::Key& k)
{
    if (k.flag == Registrar::Key::ForceRemove) {
        const LONG rc = RegDeleteTreeW(parent, k.name.c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(rc));
    }
    RegKey key;
    const LONG rc = RegOpenKeyExW(parent, k.name.c_str(), 0, KEY_READ | KEY_WRITE, key.Put());
    if (rc == ERROR_FILE_NOT_FOUND)
        return S_OK;
    RETURN_IF_WIN32_ERROR(rc);
    HRESULT result = S_OK;
    for (const Registrar::Key& child : k.children) {
        const HRESULT hr = RemoveKey(key.Get(), child);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    if (k.flag == Registrar::Key::NoRemove)
        return result;
    for (const Registrar::Value& v : k.values)
        RegDeleteValueW(key.Get(), v.name.c_str());
    if (k.hasDefault)
        RegDeleteValueW(key.Get(), L"");
    DWORD subkeys = 0, values = 0;
    RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    key.Reset();
    if (subkeys == 0 && values == 0) {
        const LONG del = RegDeleteKeyW(parent, k.name.c_str());
        if (del != ERROR_SUCCESS && del != ERROR_FILE_NOT_FOUND && SUCCEEDED(result))
            result = HRESULT_FROM_WIN32(static_cast<DWORD>(del));
    }
    return result;
}

} // namespace

bool Registrar::Parse(const std::wstring& text, std::vector<Root>& roots, std::wstring& error) const
{
    Parser parser(text, m_vars);
    const bool ok = parser.ParseScript(roots);
    error = parser.error;
    return ok;
}

HRESULT Registrar::RunScript(const std::wstring& text, bool install)
{
    std::vector<Root> roots;
    std::wstring error;
    if (!Parse(text, roots, error))
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    HRESULT result = S_OK;
    for (const Root& root : roots) {
        for (const Key& key : root.keys) {
            const HRESULT hr = install ? InstallKey(root.hive, key) : RemoveKey(root.hive, key);
            if (install)
                RETURN_IF_FAILED(hr);
            else if (FAILED(hr) && SUCCEEDED(result))
                result = hr;
        }
    }
    return result;
}

HRESULT Registrar::RunResource(HMODULE module, UINT id, bool install)
{
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!res)
        return HResultFromLastError();
    HGLOBAL data = LoadResource(module, res);
    const DWORD size = SizeofResource(module, res);
    const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    if (!bytes)
        return E_FAIL;
    std::wstring text;
    if (size >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes + 2), (size - 2) / sizeof(wchar_t));
    } else {
        const int n = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
        text.resize(static_cast<size_t>(n > 0 ? n : 0));
        if (n > 0)
            MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), &text[0], n);
    }
    return RunScript(text, install);
}

} // namespace ycom
