// Role tags: contextualize<X, Tag> is X marked with its role by an empty tag
// class of namespace sX, so that values of one representation (a file name
// and a display name, an automatic and a manual link, a quotient and a
// remainder) become distinct types.
#pragma once

#include <utility>

namespace sX
{
struct Name
{
};
struct FileName
{
};
struct URL
{
};
struct Version
{
};
struct Message
{
};
struct Link
{
};
struct Manual
{
};
struct Automatic
{
};
struct Valid
{
};
// Roles of big numbers.
struct Quotient
{
};
struct Reminder
{
};
struct Numerator
{
};
struct Denominator
{
};
}

// X with a role; behaves exactly as X.
template <class X, class Tag> class contextualize : public X
{
public:
    using X::X;
    contextualize() = default;
    contextualize(const X& value) : X(value) {}
    contextualize(X&& value) : X(std::move(value)) {}
    contextualize(const contextualize&) = default;
    contextualize(contextualize&&) = default;
    contextualize& operator=(const contextualize&) = default;
    contextualize& operator=(contextualize&&) = default;
};

// A flag that can carry a role (a plain bool cannot be derived from).
class Bool
{
public:
    bool value = false;

    Bool() = default;
    Bool(bool value_) : value(value_) {}
    operator bool() const { return value; }
};
