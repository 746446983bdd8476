#pragma once
// What values know of a program node: a reference to a function or a type prints the name
// it is defined under, and a run's arena owns the nodes made while the run goes on. The
// model's nodes derive from it; everything else about them lies in the layers above.

#include <string>
#include <string_view>

class CNodeBase {
public:
    explicit CNodeBase(std::string_view name = {}) : name(name) {}
    CNodeBase(const CNodeBase&) = delete;
    CNodeBase& operator=(const CNodeBase&) = delete;
    virtual ~CNodeBase() = default;

    std::string name; // the class word, or the name the node is defined under
};
