// Point, byte, item and double arrays: growth rules, insertion and removal at the edges, and
// the counts that must never run past the storage.
#include "ByteArray.h"
#include "DoubleArray.h"
#include "Geometry.h"
#include "ItemArray.h"
#include "Point2dArray.h"
#include "Point3dArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace dgn;

TEST(PointArrays, InsertRemoveAndTransform)
{
    std::unique_ptr<CPoint2dArray> a(CPoint2dArray::Create());
    EXPECT_EQ(a->Count(), 0u);
    EXPECT_EQ(a->Capacity(), 16u);
    EXPECT_TRUE(a->Resize(0));
    EXPECT_EQ(a->Capacity(), 16u) << "Resize(0) keeps the storage";

    ASSERT_TRUE(a->Resize(3));
    for (std::uint32_t i = 0; i < 3; ++i)
        a->SetAt(i, i, 10.0 * i);
    EXPECT_EQ(a->SetAt(3, 0, 0), nullptr);
    EXPECT_EQ(a->At(3), nullptr);
    Point2d* opened = a->InsertAt(1, 2);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened, a->At(1));
    EXPECT_EQ(a->Count(), 5u);
    EXPECT_EQ(a->At(3)->x, 1.0) << "old point 1 moved to 3";
    EXPECT_EQ(a->At(4)->x, 2.0);
    EXPECT_EQ(a->InsertAt(9, 1), nullptr) << "beyond the count";

    std::unique_ptr<CPoint2dArray> copy(a->Clone());
    EXPECT_EQ(a->RemoveAt(1, 2), 3u);
    EXPECT_EQ(a->At(1)->x, 1.0);
    EXPECT_EQ(copy->Count(), 5u);

    // Running past the end cuts the array at i and answers the old count.
    std::unique_ptr<CPoint2dArray> four(CPoint2dArray::CreateSized(4));
    EXPECT_EQ(four->RemoveAt(2, 5), 4u);
    EXPECT_EQ(four->Count(), 2u);
    EXPECT_EQ(four->RemoveAt(7, 1), 2u) << "an index beyond the count changes nothing";
    EXPECT_EQ(four->Count(), 2u);

    const Point3d pts[2] = {{1, 2, 3}, {4, 5, 6}};
    std::unique_ptr<CPoint3dArray> b(CPoint3dArray::CreateFrom(2, pts));
    double m[16];
    SetIdentity4x4(m);
    TranslateMatrix(m, 10, 20, 30);
    b->Transform(m);
    EXPECT_EQ(b->At(1)->x, 14.0);
    EXPECT_EQ(b->At(1)->y, 25.0);
    EXPECT_EQ(b->At(1)->z, 36.0);
}

TEST(ByteArrays, GrowInWholeSteps)
{
    std::unique_ptr<CByteArray> a(CByteArray::NewDefault());
    EXPECT_EQ(a->Capacity(), 1024u);
    EXPECT_EQ(a->Grow(1024), 1024u);
    EXPECT_EQ(a->Capacity(), 1024u);
    EXPECT_EQ(a->Grow(1024), 2048u);
    EXPECT_EQ(a->Capacity(), 3072u);
    std::unique_ptr<CByteArray> b(CByteArray::NewWithCapacity(0));
    b->Grow(1025);
    EXPECT_EQ(b->Capacity(), 2048u);
    EXPECT_EQ(a->Grow(0xFFFFFFFFu), 2048u) << "a size beyond 32 bits is refused";
    EXPECT_TRUE(b->Compact());
    EXPECT_EQ(b->Capacity(), 1025u);
    b->Reset();
    EXPECT_TRUE(b->Compact());
    EXPECT_EQ(b->Capacity(), 16u);
}

TEST(ByteArrays, EditAndFind)
{
    std::unique_ptr<CByteArray> a(CByteArray::NewWithCapacity(16));
    ASSERT_TRUE(a->Append("abcdef", 6));
    ASSERT_TRUE(a->Insert("XY", 2, 3));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(a->Data()), a->Size()), "abcXYdef");
    EXPECT_FALSE(a->Insert("Z", 1, 9));
    // Bytes taken from the array itself survive its growth.
    ASSERT_TRUE(a->Append(a->Data(), a->Size()));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(a->Data()), a->Size()), "abcXYdefabcXYdef");
    EXPECT_EQ(a->Find(2, 4, "XY"), 11);
    EXPECT_EQ(a->Find(20, 0, "abcXYdefabcXYdefab"), -1) << "a pattern longer than the data";
    EXPECT_EQ(FindBytes(2, 0, "ef", "abcdef", 6), 4);
    EXPECT_EQ(a->ByteAt(3), 'X');
    EXPECT_EQ(a->ByteAt(99), 0);

    EXPECT_TRUE(a->Remove(8, 0));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(a->Data()), a->Size()), "abcXYdef");
    // Nothing behind the removed range: only the size drops, and never below pos.
    EXPECT_FALSE(a->Remove(3, 5));
    EXPECT_EQ(a->Size(), 5u);
    EXPECT_FALSE(a->Remove(100, 2));
    EXPECT_EQ(a->Size(), 2u);

    std::unique_ptr<CByteArray> other(CByteArray::NewDefault());
    other->Append("12", 2);
    std::unique_ptr<CByteArray> out(CByteArray::NewDefault());
    ASSERT_TRUE(a->AppendCopy(*other, *out));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out->Data()), out->Size()), "ab12");
    std::unique_ptr<CByteArray> clone(out->Clone());
    out->Reset();
    EXPECT_EQ(clone->Size(), 4u);
}

TEST(ItemArrays, StrideAndCopies)
{
    std::unique_ptr<CItemArray> a(CItemArray::Create(6, 4, 4));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Stride(), 8u);
    std::uint8_t source[16];
    for (int i = 0; i < 16; ++i)
        source[i] = static_cast<std::uint8_t>(0xA0 + i);
    // One item copies its 6 bytes and leaves the padding; two copy two whole strides.
    std::uint8_t* one = a->AppendItems(source, 1);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one[5], 0xA5);
    EXPECT_EQ(one[6], 0);
    std::uint8_t* two = a->AppendItems(source, 2);
    EXPECT_EQ(two[6], 0xA6);
    EXPECT_EQ(two[15], 0xAF);
    EXPECT_EQ(a->Count(), 3u);
    EXPECT_EQ(a->ItemAt(1), two);
    EXPECT_EQ(a->ItemAt(3), nullptr);

    EXPECT_TRUE(a->Grow(2));
    EXPECT_EQ(a->Count(), 5u);
    EXPECT_EQ(a->Capacity(), 8u) << "grown by whole blocks: ((5 + 4) / 4) * 4";
    EXPECT_FALSE(a->RemoveItems(2, 4));
    EXPECT_TRUE(a->RemoveItems(1, 0));
    EXPECT_EQ(a->ItemAt(0)[0], 0xA0) << "the first of the pair moved down";
    EXPECT_NE(a->InsertItems(a->ItemAt(0), 1, 0), nullptr);
    EXPECT_EQ(a->ItemAt(0)[1], 0xA1);
    std::unique_ptr<CItemArray> copy(a->Clone());
    EXPECT_EQ(copy->Count(), a->Count());
    a->Reset();
    EXPECT_TRUE(a->Compact());
    EXPECT_EQ(a->Capacity(), 1u);
    std::unique_ptr<CItemArray> packed(CItemArray::Create(4, 0, 0));
    EXPECT_EQ(packed->Stride(), 4u);
}

TEST(DoubleArrays, ReserveRemoveAndExtend)
{
    std::unique_ptr<CDoubleArray> a(CDoubleArray::Create(0));
    EXPECT_EQ(a->GetCount(), 0u);
    EXPECT_EQ(a->Capacity(), 256u);
    EXPECT_TRUE(a->Reserve(256));
    EXPECT_EQ(a->Capacity(), 256u);
    EXPECT_TRUE(a->Reserve(257));
    EXPECT_EQ(a->Capacity(), 512u);
    std::unique_ptr<CDoubleArray> hundred(CDoubleArray::Create(100));
    hundred->Reserve(200);
    EXPECT_EQ(hundred->Capacity(), 300u);

    const double five[] = {0, 1, 2, 3, 4};
    ASSERT_TRUE(a->Append(five, 5));
    EXPECT_FALSE(a->Remove(2, 3)) << "nothing lies behind the removed run";
    EXPECT_EQ(a->GetCount(), 5u);
    const double six = 5;
    ASSERT_TRUE(a->Append(&six, 1));
    EXPECT_TRUE(a->Remove(2, 3));
    ASSERT_EQ(a->GetCount(), 4u);
    EXPECT_EQ(a->GetAt(2), 2.0);
    EXPECT_EQ(a->GetAt(3), 5.0);
    EXPECT_EQ(a->GetAt(4), 0.0) << "beyond the count";

    ASSERT_TRUE(a->Insert(a->ElementPointer(0), 2, 1));
    EXPECT_EQ(a->GetAt(1), 0.0);
    EXPECT_EQ(a->GetAt(2), 1.0);
    EXPECT_EQ(a->GetAt(3), 1.0);

    // A count the storage cannot hold is refused, and the count stays.
    const std::uint32_t before = a->GetCount();
    EXPECT_FALSE(a->Extend(0xFFFFFFFFu));
    EXPECT_EQ(a->GetCount(), before);
    EXPECT_TRUE(a->Extend(3));
    EXPECT_EQ(a->GetCount(), before + 3);
    EXPECT_EQ(a->GetAt(before + 2), 0.0);

    std::unique_ptr<CDoubleArray> copy(CDoubleArray::Create());
    ASSERT_TRUE(copy->Assign(*a));
    a->SetAt(0, 42);
    EXPECT_EQ(copy->GetAt(0), 0.0);
    std::unique_ptr<CDoubleArray> clone(a->Clone());
    EXPECT_EQ(clone->GetAt(0), 42.0);
    a->Clear();
    EXPECT_TRUE(a->Compact());
    EXPECT_EQ(a->Capacity(), 16u);
}
