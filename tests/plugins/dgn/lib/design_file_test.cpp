// The design file: finding open files by path, element IDs, models, levels, colours and
// names; the factories and the loaders of V8 and V7 files with the V8 writer.
#include "DesignFile.h"
#include "Library.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using DesignFileObjectTest = DesignFileTest;

} // namespace

TEST_F(DesignFileObjectTest, OpenFilesAreFoundByTheirFileName)
{
    // Three more open files beside the fixture's (which has no path).
    const std::u16string paths[] = {u"C:\\work\\plan.dgn", u"D:\\other\\plan.dgn", u"/home/u/Site.dgn"};
    std::vector<std::unique_ptr<CDesignFile>> files;
    for (const std::u16string& p : paths) {
        files.emplace_back(new CDesignFile);
        ASSERT_TRUE(files.back()->SetFilePath(p.c_str()));
    }
    struct Case {
        const char16_t* path;
        int found; // index into files, -1 for none
    };
    const Case cases[] = {
        {u"C:\\work\\plan.dgn", 0},
        {u"E:\\elsewhere\\plan.dgn", 0}, // the file name decides; the first open file wins
        {u"x/plan.dgn", 0},
        {u"\\\\server\\share\\Site.dgn", 2},
        {u"C:\\work\\Plan.dgn", -1}, // case-sensitive
        {u"plan.dgn", -1},            // no separator
        {u"\\plan.dgn", -1},          // a leading separator counts only against one
        {u"C:\\work\\an.dgn", -1},
        {u"", -1},
    };
    for (const Case& c : cases) {
        CDesignFile* expected = c.found < 0 ? nullptr : files[static_cast<std::size_t>(c.found)].get();
        EXPECT_EQ(FindOpenDesignFile(c.path), expected) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
    }
    EXPECT_EQ(FindOpenDesignFile(nullptr), nullptr);
    // A file that has gone is not found; the next one with that name is.
    files[0].reset();
    EXPECT_EQ(FindOpenDesignFile(u"C:\\work\\plan.dgn"), files[1].get());
    // A file whose whole path is a separator and a name is found by that path only.
    CDesignFile* rooted = new CDesignFile;
    ASSERT_TRUE(rooted->SetFilePath(u"\\top.dgn"));
    EXPECT_EQ(FindOpenDesignFile(u"\\top.dgn"), rooted);
    EXPECT_EQ(FindOpenDesignFile(u"C:\\top.dgn"), rooted);
    delete rooted;
}
