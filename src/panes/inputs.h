#pragma once

// The read operations the commands need of the input controls.

#include <cstdint>
#include <string>

class TextInput
{
public:
    virtual ~TextInput() = default;
    // The whole current text in the code page.
    virtual std::string content() const = 0;
};

class ItemList
{
public:
    virtual ~ItemList() = default;
    // The index of the current item, -1 when none is current.
    virtual int32_t listIndex() const = 0;
    // The text of an item in the code page; empty for an index outside the list.
    virtual std::string itemText(int32_t index) const = 0;
};

class ColorSource
{
public:
    virtual ~ColorSource() = default;
    // The accepted colour, 0x00BBGGRR.
    virtual uint32_t colorValue() const = 0;
};
