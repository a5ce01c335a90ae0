#!/usr/bin/env python3
"""Checks that every COM member of the tree runs its body inside the exception guard (com/Guard.h).

A member (`STDMETHODIMP name(...) { ... }`) passes when its body is `return` of a constant alone
(a member still to come, E_NOTIMPL), or when it returns through the guard: `return Guard(...)`,
`return this->Guarded(...)` or `return Guarded(...)`. IUnknown's QueryInterface runs no code that
can throw and is left alone. Prints `file:line: name runs outside the guard` for every other
member and exits 1 when there is any. `--self-test` checks the checker on made-up sources.
"""
import os
import re
import sys
import tempfile

FOLDERS = ('automation', 'control', 'ui', 'platform', 'plugins', 'persistence', 'interchange', 'model')
MEMBER = re.compile(r'\bSTDMETHODIMP\s+((?:\w+::)*\w+)\s*\(')
CONSTANT = re.compile(r'^return\s+[A-Z][A-Z0-9_]*\s*;$')
GUARDED = re.compile(r'^return\s+(?:::)?(?:ycom::)?(?:this->)?(?:Guard|Guarded)\s*\(')
EXEMPT = {'QueryInterface'}


def strip_comments(text):
    """Comments and string contents blanked, line breaks kept, so positions and braces stay true."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith('//', i):
            j = text.find('\n', i)
            j = n if j < 0 else j
            out.append(' ' * (j - i))
            i = j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append(''.join('\n' if ch == '\n' else ' ' for ch in text[i:j]))
            i = j
        elif c in '"\'':
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == '\\' else 1
            out.append(c + ' ' * (min(j, n) - i - 1) + (c if j < n else ''))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return ''.join(out)


def closing(code, i, opening, close):
    """The index of the bracket that closes the one at i (or the end of the code)."""
    depth = 0
    while i < len(code):
        if code[i] == opening:
            depth += 1
        elif code[i] == close:
            depth -= 1
            if depth == 0:
                break
        i += 1
    return i


def members(text):
    """(name, line, body) of every member definition: the body between its outer braces."""
    code = strip_comments(text)
    for m in MEMBER.finditer(code):
        # The parameter list, then anything up to the body or the end of a declaration.
        j = closing(code, m.end() - 1, '(', ')') + 1
        while j < len(code) and code[j] not in '{;':
            j += 1
        if j >= len(code) or code[j] == ';':
            continue
        k = closing(code, j, '{', '}')
        yield m.group(1), code.count('\n', 0, m.start()) + 1, ' '.join(code[j + 1:k].split())


def check_text(path, text):
    problems = []
    for name, line, body in members(text):
        if name.split('::')[-1] in EXEMPT or CONSTANT.match(body) or GUARDED.match(body):
            continue
        problems.append('%s:%d: %s runs outside the guard' % (path, line, name))
    return problems


def check(root):
    problems = []
    for folder in FOLDERS:
        for directory, subdirs, files in os.walk(os.path.join(root, folder)):
            subdirs.sort()
            for name in sorted(files):
                if name.endswith(('.h', '.cpp')):
                    path = os.path.join(directory, name)
                    with open(path, encoding='utf-8', errors='replace') as f:
                        problems += check_text(os.path.relpath(path, root).replace(os.sep, '/'), f.read())
    return problems


def self_test():
    sample = '''
    STDMETHODIMP get_A(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP get_B(LONG* p) override { return this->Guarded([&] { *p = 1; return S_OK; }); }
    STDMETHODIMP get_C(LONG* p) override
    {
        // "{ return S_OK; }" in a comment
        *p = 2;
        return S_OK;
    }
    STDMETHODIMP Declared(LONG* p) override;
    STDMETHODIMP CX::get_D(BSTR* p) { return Guard(IID_IX, [&]() -> HRESULT { return S_OK; }); }
    STDMETHODIMP CX::get_E(BSTR*) { return Forward(); }
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override { return Find(iid, ppv); }
    '''
    problems = check_text('x.h', sample)
    expected = ['x.h:4: get_C runs outside the guard', 'x.h:12: CX::get_E runs outside the guard']
    ok = problems == expected
    print('self-test %s%s' % ('passed' if ok else 'FAILED: ', '' if ok else repr(problems)))
    return 0 if ok else 1


def main():
    if '--self-test' in sys.argv[1:]:
        return self_test()
    root = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
    problems = check(root)
    for problem in problems:
        print(problem)
    print('COM members outside the guard: %d' % len(problems))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
