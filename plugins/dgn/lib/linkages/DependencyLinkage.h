#pragma once
// The dependency linkage (user ID 0x56D0): what an element depends on, for an application
// (appId, appValue): element IDs, association records and the like, its roots. Data part:
// appId, appValue, dlflags (bits 10-13: the root type), numRoots (four u16), then the roots.
// A root is 8 bytes (type 0: an element ID), 16 (types 1 and 4), 40 (type 2: an association
// record), 48 (type 3: an association record and 8 bytes), 24 (type 5) or 24 + 8 x n (type 6,
// n being the root's first u32). Only the roots that the data holds are taken; the bytes of a
// root type without a known size are kept as they are.
#include "Linkage.h"

namespace dgn {

class CByteArray;

constexpr std::uint16_t kDependencyId = 0x56D0;

// The association records of types 2 and 3.
constexpr std::uint32_t kAssociationRecordSize = 40;

class CDependencyLinkage : public CLinkage {
public:
    struct Fields {
        std::uint16_t appId;
        std::uint16_t appValue;
        std::uint16_t dlflags;
        std::uint16_t numRoots;
    };

    // No roots yet.
    static CDependencyLinkage* Create(CElementLinkages* list, std::uint16_t appId, std::uint16_t appValue, std::uint16_t dlflags);
    static CDependencyLinkage* CreateFromRaw(CElementLinkages* list, std::uint8_t flags, const std::uint8_t* data, std::uint32_t length);
    ~CDependencyLinkage() override;

    std::uint32_t GetDataSize() const override;
    void Describe(LineCallback callback) const override;
    CLinkage* Clone(CElementLinkages* list) const override;

    // The four words; numRoots is kept equal to the roots held.
    virtual const Fields* GetFields() const;
    // The roots, back to back (never null).
    virtual CByteArray* GetRoots() const;
    virtual int GetRootType() const;

    // Adds one root of the linkage's root type (its bytes, of the type's size); false when memory
    // runs out, the type has no fixed size or the data would be too long.
    bool AddRoot(const std::uint8_t* root, std::uint32_t size);
    // The element ID of a type-0 dependency's first root; false for other types or without roots.
    bool GetFirstElementId(std::uint64_t* id) const;

    // Bytes of one root of the given type whose bytes start at root (n bytes there); 0 when the
    // type has no known size or the root does not fit.
    static std::uint32_t RootSize(int rootType, const std::uint8_t* root, std::uint32_t n);

protected:
    void WriteData(std::uint8_t* p) const override;

private:
    CDependencyLinkage(CElementLinkages* list, std::uint8_t flags) : CLinkage(list, kDependencyId, flags | kLinkageUserData) {}
    static CDependencyLinkage* Make(CElementLinkages* list, std::uint8_t flags);

    Fields m_f = {};
    CByteArray* m_roots = nullptr;
};

} // namespace dgn
