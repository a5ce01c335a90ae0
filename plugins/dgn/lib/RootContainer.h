#pragma once
// The root container: the head of the library's chain and the keeper of its marks.
//
// Its range runs from its next entity to its own child container, which closes it; its prev
// pointer names that container (the end of the range) rather than a predecessor. Design files
// and every entity inserted without a reference hang under it.
//
// Marks give the chain undo and redo. Entities remember the mark current when they were
// linked and the one at which they were marked deleted. Undo and Redo move the current mark
// between lowMark and highMark and hide what is not alive at it; BeginMark starts a new mark
// after deleting for good what an undo had taken back and reviving what it had restored;
// CommitMarks deletes everything not alive at the current mark.
#include "Entity.h"

namespace dgn {

class CRootContainer : public IEntity {
public:
    // A new root with its closing child container, or null when memory runs out.
    static CRootContainer* Create();
    ~CRootContainer() override;

    // The root never leaves the chain it heads.
    void Unlink() override;
    int GetKind() const override;

    virtual std::int32_t GetCurrentMark() const;
    virtual std::int32_t BeginMark();
    virtual std::int32_t Undo();
    virtual std::int32_t Redo();
    virtual std::int32_t RedoAll();
    virtual void RepeatLast();
    virtual void CommitMarks();
    virtual void ApplyMarks();
    virtual std::int32_t AdvanceMark();

    std::int32_t LowMark() const { return m_lowMark; }
    std::int32_t HighMark() const { return m_highMark; }
    bool LastWasUndo() const { return m_lastWasUndo != 0; }

private:
    CRootContainer() : IEntity(nullptr) {}
    bool AliveAt(const IEntity* e, std::int32_t mark) const;
    // Calls visit for every entity of the range except containers; visit returns true to
    // delete the entity (with its subtree).
    template <class Visit>
    void Walk(Visit visit);

    std::int32_t m_currentMark = 0;
    std::int32_t m_lowMark = 0;
    std::int32_t m_highMark = 0;
    std::uint8_t m_lastWasUndo = 0;
};

} // namespace dgn
