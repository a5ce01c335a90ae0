#pragma once
// The abstract base behind which element code holds the library's arrays.
namespace dgn {

class IArrayBase {
public:
    virtual ~IArrayBase() = default;
};

} // namespace dgn
