#pragma once
// What the DXF tests of the model share: the text a writer puts into an in-memory ASCII file and
// its groups, the start of a drawing file, and the folder of the files the Python readers check.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>
#include "interchange/DxfFile.h"

// The text an ASCII file receives from `write`, through `dxf` (left closed).
inline std::string WrittenText(const std::function<void(CDxfFile&)>& write, CDxfFile& dxf)
{
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    EXPECT_TRUE(dxf.OpenStream(stream, false));
    write(dxf);
    dxf.Close();
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string text(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    stream->Read(&text[0], static_cast<ULONG>(text.size()), &got);
    stream->Release();
    return text;
}

// One group as written: its code and its value text (without the leading blanks).
struct WrittenGroup
{
    int code;
    std::string value;
    bool operator==(const WrittenGroup& o) const { return code == o.code && value == o.value; }
};

inline std::ostream& operator<<(std::ostream& os, const WrittenGroup& g) { return os << g.code << "=" << g.value; }

// The groups of an ASCII DXF text, code and value text as written.
inline std::vector<WrittenGroup> GroupsOfText(const std::string& text)
{
    std::vector<WrittenGroup> groups;
    size_t at = 0;
    auto line = [&]() {
        const size_t end = text.find("\r\n", at);
        std::string l = text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 2;
        const size_t first = l.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : l.substr(first);
    };
    while (at < text.size()) {
        const int code = std::atoi(line().c_str());
        groups.push_back({code, line()});
    }
    return groups;
}

// The groups `write` puts into an ASCII file.
inline std::vector<WrittenGroup> WrittenGroups(const std::function<void(CDxfFile&)>& write)
{
    CDxfFile dxf;
    return GroupsOfText(WrittenText(write, dxf));
}

// A Windows path (Z: for the Unix root) of a file in <build>/tests/model/dxf_out, the folder
// made when missing.
inline std::string OutputPath(const char* name)
{
    const char* root = std::getenv("YVEX_BINARY_DIR");
    std::string dir = std::string(root ? root : ".") + "/tests/model/dxf_out";
    std::string path = dir + "/" + name;
    for (std::string* p : {&dir, &path}) {
        if (!p->empty() && (*p)[0] == '/')
            *p = "Z:" + *p;
        for (char& c : *p)
            if (c == '/')
                c = '\\';
    }
    CreateDirectoryA(dir.c_str(), nullptr);
    return path;
}

// The HEADER section of an R12 drawing, and the TABLES section opened behind it.
inline void WriteR12HeaderAndOpenTables(CDxfFile& dxf)
{
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "HEADER");
    dxf.WriteStringGroup(9, "$ACADVER");
    dxf.WriteStringGroup(1, "AC1009");
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "TABLES");
}
