// Stands in for the external text editor: opens the file named by its one argument, turns every
// lower-case letter of it into upper case, writes it back and ends. Exit code 2 when the file
// cannot be read (a path split at a space arrives as two arguments).
#include <cctype>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in)
        return 2;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        text.append(buffer, n);
    std::fclose(in);
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 2;
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return 0;
}
