#pragma once
// The abstract base of the linkage list's nodes: only the virtual destructor.
namespace dgn {

class CLinkageNodeBase {
public:
    virtual ~CLinkageNodeBase() = default;
};

} // namespace dgn
