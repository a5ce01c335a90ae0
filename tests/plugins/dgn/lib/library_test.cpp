// Library start and end, the global lock, the entity chain (children, containers, moves,
// destruction), the iterator and the root container's marks.
#include "EntityContainer.h"
#include "EntityIterator.h"
#include "Library.h"
#include "RootContainer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace dgn;

namespace {

// An entity that counts its deaths and may pose as an element for the selectors.
class Node : public IEntity {
public:
    explicit Node(IEntity* owner, int* deaths = nullptr) : IEntity(owner), m_deaths(deaths) {}
    ~Node() override
    {
        if (m_deaths)
            ++*m_deaths;
    }
    bool GetSelectorFacts(SelectorFacts* facts) const override
    {
        if (!m_isElement)
            return false;
        *facts = m_facts;
        return true;
    }
    void PoseAsElement(const SelectorFacts& facts)
    {
        m_isElement = true;
        m_facts = facts;
    }

private:
    int* m_deaths;
    bool m_isElement = false;
    SelectorFacts m_facts;
};

// The chain from first to last (inclusive), checking that every link is mutual.
std::vector<IEntity*> Chain(IEntity* first, IEntity* last)
{
    std::vector<IEntity*> out;
    for (IEntity* e = first; e; e = e->Next()) {
        out.push_back(e);
        if (e->Next()) {
            EXPECT_EQ(e->Next()->Prev(), e);
        }
        if (e == last)
            break;
    }
    return out;
}

std::vector<IEntity*> RootChain()
{
    CRootContainer* root = GetRootContainer();
    return Chain(root->Next(), root->Prev());
}

std::vector<IEntity*> Walk(CEntityIterator* it)
{
    std::vector<IEntity*> out;
    while (IEntity* e = it->Next())
        out.push_back(e);
    return out;
}

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InitializeLibrary(kLibraryVersion, 0)); }
    void TearDown() override { ShutdownLibrary(); }
    CRootContainer* Root() { return GetRootContainer(); }
};

} // namespace

TEST(LibraryStart, WrongVersionIsRefusedButCounted)
{
    EXPECT_EQ(GetLibraryVersion(), 9964);
    EXPECT_FALSE(InitializeLibrary(9963, 0));
    ASSERT_NE(GetRootContainer(), nullptr);
    EXPECT_TRUE(InitializeLibrary(9964, 0));
    ShutdownLibrary();
    EXPECT_NE(GetRootContainer(), nullptr) << "the refused start still holds the library";
    ShutdownLibrary();
    EXPECT_EQ(GetRootContainer(), nullptr);
    ShutdownLibrary(); // one end too many is ignored
    EXPECT_TRUE(InitializeLibrary(9964, 0));
    EXPECT_NE(GetRootContainer(), nullptr);
    ShutdownLibrary();
}

TEST(LibraryStart, FlagsTurnLockingOnUntilTheLastEnd)
{
    // Whether a second thread has to wait for the global lock while this one holds it.
    auto otherThreadWaits = [] {
        std::atomic<bool> entered{false};
        LockLibrary();
        std::thread other([&] {
            LockLibrary();
            entered = true;
            UnlockLibrary();
        });
        // Without locking the other thread gets in at once; with it, never while this one
        // holds the lock.
        for (int i = 0; i < 50 && !entered; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const bool waited = !entered;
        UnlockLibrary();
        other.join();
        EXPECT_TRUE(entered);
        return waited;
    };
    ASSERT_TRUE(InitializeLibrary(9964, 0));
    EXPECT_FALSE(otherThreadWaits()) << "flags 0: no locking";
    ASSERT_TRUE(InitializeLibrary(9964, 1));
    EXPECT_TRUE(otherThreadWaits());
    ASSERT_TRUE(InitializeLibrary(9964, 0));
    ShutdownLibrary();
    ShutdownLibrary();
    EXPECT_TRUE(otherThreadWaits()) << "locking stays on until the last end";
    ShutdownLibrary();
    ASSERT_TRUE(InitializeLibrary(9964, 0));
    EXPECT_FALSE(otherThreadWaits()) << "the last end cleared the flags";
    ShutdownLibrary();
}

TEST(LibraryStart, LockedChainEditsFromSeveralThreads)
{
    ASSERT_TRUE(InitializeLibrary(9964, 1));
    IEntity* parent = new Node(GetRootContainer());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([parent] {
            for (int i = 0; i < 500; ++i) {
                Node* n = new Node(parent);
                if (i % 3 == 0)
                    delete n;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    const std::vector<IEntity*> children = Chain(parent->Next(), parent->ChildList());
    EXPECT_EQ(children.size(), 4u * (500 - 167) + 1); // survivors and the closing container
    delete parent;
    ShutdownLibrary();
}

TEST_F(LibraryTest, ChildrenStandBetweenTheirOwnerAndItsContainer)
{
    Node* x = new Node(Root());
    Node* a = new Node(x);
    Node* a1 = new Node(a);
    Node* b = new Node(x);
    ASSERT_NE(x->ChildList(), nullptr);
    ASSERT_NE(a->ChildList(), nullptr);
    const std::vector<IEntity*> expected = {x, a, a1, a->ChildList(), b, x->ChildList(), Root()->ChildList()};
    EXPECT_EQ(RootChain(), expected);
    EXPECT_EQ(x->ChildList()->Owner(), x);
    EXPECT_EQ(x->ChildList()->GetKind(), kEntityContainer);
    EXPECT_EQ(x->ChildList()->ContainerKind(), CEntityContainer::kChildList);
    EXPECT_EQ(x->Owner(), Root());
    EXPECT_EQ(a->Owner(), x);
    EXPECT_EQ(a1->Owner(), a);
    EXPECT_EQ(x->ChildCount(), 2);
    EXPECT_EQ(a->ChildCount(), 1);
    EXPECT_EQ(Root()->GetKind(), kEntityRoot);
    EXPECT_EQ(Root()->Owner(), Root());
    EXPECT_EQ(x->GetKind(), kEntityPlain);
    EXPECT_EQ(x->GetType(), 0);
    delete x;
    EXPECT_TRUE(RootChain().size() == 1 && RootChain()[0] == Root()->ChildList()) << "only the root's container is left";
}

TEST_F(LibraryTest, UnlinkAndInsertMoveWholeSubtrees)
{
    Node* y = new Node(Root());
    Node* x = new Node(Root());
    Node* a = new Node(x);
    Node* a1 = new Node(a);
    x->Unlink();
    EXPECT_EQ(x->Prev(), nullptr);
    EXPECT_EQ(x->ChildList()->Next(), nullptr);
    EXPECT_EQ(RootChain(), (std::vector<IEntity*>{y, Root()->ChildList()}));
    // The loose subtree keeps its inner links.
    EXPECT_EQ(Chain(x, x->ChildList()), (std::vector<IEntity*>{x, a, a1, a->ChildList(), x->ChildList()}));

    x->InsertBefore(y);
    EXPECT_EQ(RootChain(), (std::vector<IEntity*>{x, a, a1, a->ChildList(), x->ChildList(), y, Root()->ChildList()}));
    EXPECT_EQ(x->Owner(), Root());

    // After y's subtree, and then inside it as y's first entity.
    x->InsertAfterSubtree(y);
    EXPECT_EQ(RootChain().front(), y);
    EXPECT_EQ(RootChain()[1], x);
    y->AddChild(x);
    EXPECT_EQ(x->Owner(), y);
    EXPECT_EQ(Chain(y, y->ChildList()), (std::vector<IEntity*>{y, x, a, a1, a->ChildList(), x->ChildList(), y->ChildList()}));

    // An entity cannot become part of its own subtree.
    const std::vector<IEntity*> before = RootChain();
    a->AddChild(x);
    x->InsertAfter(a1);
    EXPECT_EQ(RootChain(), before);
    EXPECT_EQ(a->ChildCount(), 1);

    // Null references place the entity under the root, first or last.
    x->InsertBefore(nullptr);
    EXPECT_EQ(RootChain().front(), x);
    x->InsertAfter(nullptr);
    EXPECT_EQ(RootChain()[RootChain().size() - 2], x->ChildList());
    EXPECT_EQ(x->Owner(), Root());
    delete y;
    delete x;
}

TEST_F(LibraryTest, DestroyingASubtreeDeletesEachChildOnce)
{
    int deaths = 0;
    Node* x = new Node(Root(), &deaths);
    Node* a = new Node(x, &deaths);
    new Node(a, &deaths);
    new Node(a, &deaths);
    new Node(x, &deaths);
    Node* other = new Node(Root(), &deaths);
    delete x;
    EXPECT_EQ(deaths, 5);
    EXPECT_EQ(RootChain(), (std::vector<IEntity*>{other, Root()->ChildList()}));
    // The last end deletes what is still linked under the root.
    new Node(other, &deaths);
    ShutdownLibrary();
    EXPECT_EQ(deaths, 7);
    ASSERT_TRUE(InitializeLibrary(kLibraryVersion, 0));
}

TEST_F(LibraryTest, IteratorSkipsComponentsUnlessDescending)
{
    Node* x = new Node(Root());
    Node* a = new Node(x);
    Node* a1 = new Node(a);
    Node* a2 = new Node(a);
    Node* b = new Node(x);

    CEntityIterator* flat = x->CreateChildIterator(nullptr);
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(Walk(flat), (std::vector<IEntity*>{a, b}));
    EXPECT_EQ(flat->Next(), nullptr);
    flat->Reset();
    EXPECT_EQ(flat->Next(), a);
    EXPECT_EQ(flat->GetDepth(), 0);

    CEntityIterator* deep = CEntityIterator::Create(nullptr, x->Next(), x->ChildList());
    deep->DescendIntoComplex();
    std::vector<int> depths;
    std::vector<IEntity*> seen;
    while (IEntity* e = deep->Next()) {
        seen.push_back(e);
        depths.push_back(deep->GetDepth());
    }
    EXPECT_EQ(seen, (std::vector<IEntity*>{a, a1, a2, b}));
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 1, 0}));

    // A child iterator copies its criteria and names its source.
    CEntityIterator* copy = a->CreateChildIterator(deep);
    EXPECT_EQ(copy->GetSource(), deep);
    EXPECT_EQ(Walk(copy), (std::vector<IEntity*>{a1, a2}));
    EXPECT_EQ(b->CreateChildIterator(nullptr), nullptr) << "no children, no iterator";

    // The root's iterator sees every entity under it, never a container (its own cursor
    // and the others' included).
    CEntityIterator* all = CEntityIterator::Create(nullptr);
    EXPECT_EQ(Walk(all), (std::vector<IEntity*>{x}));
    delete all;
    delete copy;
    delete deep;
    delete flat;
    delete x;
}

TEST_F(LibraryTest, IteratorKeepsItsPlaceWhileTheChainChanges)
{
    Node* x = new Node(Root());
    Node* a = new Node(x);
    Node* b = new Node(x);
    Node* c = new Node(x);
    CEntityIterator* it = x->CreateChildIterator(nullptr);
    EXPECT_EQ(it->Next(), a);
    delete b; // the next one to visit
    Node* d = new Node(x); // appended
    delete a; // the current one
    EXPECT_EQ(it->Next(), c);
    EXPECT_EQ(it->Next(), d);
    EXPECT_EQ(it->Next(), nullptr);
    delete it;
    delete x;
}

TEST_F(LibraryTest, SelectorsFilterElementsOnly)
{
    struct Case {
        const char* name;
        void (*configure)(CEntityIterator&);
        SelectorFacts facts;
        bool selected;
    };
    static const ILevelFilter* offLevel3 = [] {
        struct Filter : ILevelFilter {
            bool IsLevelOn(std::int32_t level) const override { return level != 3; }
        };
        static Filter filter;
        return static_cast<const ILevelFilter*>(&filter);
    }();
    auto facts = [](std::int32_t type, bool graphic, bool hidden, std::int32_t level, std::int32_t cls, std::int32_t list,
                    std::int32_t model) {
        SelectorFacts f;
        f.type = type;
        f.graphic = graphic;
        f.hidden = hidden;
        f.level = level;
        f.elementClass = cls;
        f.list = list;
        f.model = model;
        return f;
    };
    const Case cases[] = {
        {"defaults pass a plain element", [](CEntityIterator&) {}, facts(3, true, false, 1, 0, 1, 0), true},
        {"defaults drop class 5", [](CEntityIterator&) {}, facts(3, true, false, 1, 5, 1, 0), false},
        {"include class 5", [](CEntityIterator& i) { i.IncludeClass5(); }, facts(3, true, false, 1, 5, 1, 0), true},
        {"class 5 only matters for graphics", [](CEntityIterator&) {}, facts(66, false, false, 1, 5, 1, 0), true},
        {"graphic only", [](CEntityIterator& i) { i.GraphicOnly(); }, facts(66, false, false, 1, 0, 1, 0), false},
        {"visible graphic only drops hidden", [](CEntityIterator& i) { i.VisibleGraphicOnly(); }, facts(3, true, true, 1, 0, 1, 0), false},
        {"reference attachments pass graphic and visibility", [](CEntityIterator& i) { i.VisibleGraphicOnly(); },
         facts(100, false, true, 1, 0, 1, 0), true},
        {"level filter", [](CEntityIterator& i) { i.SetLevelFilter(offLevel3); }, facts(3, true, false, 3, 0, 1, 0), false},
        {"level filter passes other levels", [](CEntityIterator& i) { i.SetLevelFilter(offLevel3); }, facts(3, true, false, 4, 0, 1, 0), true},
        {"primary only", [](CEntityIterator& i) { i.PrimaryOnly(); }, facts(3, true, false, 1, 2, 1, 0), false},
        {"primary only passes raster references", [](CEntityIterator& i) { i.PrimaryOnly(); }, facts(90, true, false, 1, 2, 1, 0), true},
        {"exclude list 1", [](CEntityIterator& i) { i.ExcludeList1(); }, facts(3, true, false, 1, 0, 1, 0), false},
        {"exclude list 2", [](CEntityIterator& i) { i.ExcludeList2(); }, facts(3, true, false, 1, 0, 2, 0), false},
        {"model filter", [](CEntityIterator& i) { i.SetModelFilter(2); }, facts(3, true, false, 1, 0, 1, 1), false},
        {"model filter match", [](CEntityIterator& i) { i.SetModelFilter(2); }, facts(3, true, false, 1, 0, 1, 2), true},
        {"exclude list 0 needs a model filter", [](CEntityIterator& i) { i.ExcludeList0(); }, facts(3, true, false, 1, 0, 0, 0), true},
        {"exclude list 0 with a model filter", [](CEntityIterator& i) { i.ExcludeList0(); i.SetModelFilter(0); },
         facts(3, true, false, 1, 0, 0, 0), false},
    };
    for (const Case& c : cases) {
        CEntityIterator* it = CEntityIterator::Create(nullptr);
        c.configure(*it);
        EXPECT_EQ(it->Selects(c.facts), c.selected) << c.name;
        delete it;
    }

    // Next applies them to elements and lets other entities through.
    Node* x = new Node(Root());
    Node* hidden = new Node(x);
    hidden->PoseAsElement(facts(3, true, true, 1, 0, 1, 0));
    Node* shown = new Node(x);
    shown->PoseAsElement(facts(3, true, false, 1, 0, 1, 0));
    Node* plain = new Node(x);
    CEntityIterator* it = x->CreateChildIterator(nullptr);
    it->VisibleGraphicOnly();
    EXPECT_EQ(Walk(it), (std::vector<IEntity*>{shown, plain}));
    EXPECT_EQ(it->GetModelFilter(), kAnyModel);
    EXPECT_EQ(it->GetView(), -1);
    EXPECT_EQ(it->GetViewElement(nullptr), nullptr);
    delete it;
    delete x;
}

TEST_F(LibraryTest, MarksHideReviveAndDelete)
{
    int deaths = 0;
    EXPECT_EQ(Root()->BeginMark(), 1);
    Node* a = new Node(Root(), &deaths);
    EXPECT_EQ(a->CreatedAtMark(), 1);
    EXPECT_EQ(Root()->BeginMark(), 2);
    Node* b = new Node(Root(), &deaths);
    a->MarkDeleted();
    EXPECT_EQ(a->DeletedAtMark(), 2);
    EXPECT_TRUE(a->IsHiddenEntity());

    EXPECT_EQ(Root()->Undo(), 1);
    EXPECT_TRUE(Root()->LastWasUndo());
    EXPECT_TRUE(b->IsHiddenEntity()) << "created after the current mark";
    EXPECT_FALSE(a->IsHiddenEntity()) << "deleted after the current mark";
    EXPECT_EQ(Root()->Redo(), 2);
    EXPECT_FALSE(b->IsHiddenEntity());
    EXPECT_TRUE(a->IsHiddenEntity());
    EXPECT_EQ(Root()->Redo(), 2) << "at the high mark";
    EXPECT_FALSE(Root()->LastWasUndo());
    Root()->RepeatLast(); // the last step was a redo: undo again
    EXPECT_EQ(Root()->GetCurrentMark(), 1);

    // A new mark after an undo makes the undone state final.
    EXPECT_EQ(Root()->BeginMark(), 2);
    EXPECT_EQ(deaths, 1) << "b was deleted";
    EXPECT_EQ(a->DeletedAtMark(), -1);
    EXPECT_FALSE(a->IsHiddenEntity());
    EXPECT_EQ(RootChain(), (std::vector<IEntity*>{a, Root()->ChildList()}));
    EXPECT_EQ(Root()->HighMark(), 2);

    // Undo stops at the low mark; CommitMarks deletes what is not alive.
    Root()->AdvanceMark();
    EXPECT_EQ(Root()->LowMark(), 3);
    EXPECT_EQ(Root()->Undo(), 3);
    Node* c = new Node(a, &deaths);
    c->MarkDeleted();
    Root()->CommitMarks();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(RootChain(), (std::vector<IEntity*>{a, a->ChildList(), Root()->ChildList()}));
    delete a;
}
