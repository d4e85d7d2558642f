#include "slideshow/DisplayControl.h"

#include "foundation/Registry.h"
#include "slideshow/PrimeTableHash.h"

#include <shlwapi.h>

#include <cstring>

const wchar_t DisplayControlKeyName[] = L"Display Control";

namespace
{
const wchar_t TotalValueName[] = L"total this loop";
const wchar_t ThisLoopValueName[] = L"displayed this loop";
const wchar_t LastLoopValueName[] = L"displayed last loop";
const wchar_t UniqueNamesValueName[] = L"unique filenames";
const wchar_t RemainingKeyName[] = L"remaining";
const wchar_t ProcessedKeyName[] = L"processed";
const wchar_t CompletedValueName[] = L"completed items";
const wchar_t ExhaustedValueName[] = L"exhausted";

constexpr DWORD TotalSize = 40;
constexpr DWORD ExhaustedSize = 25;
constexpr unsigned char DoneMark = 0xA5;
constexpr unsigned char NotDoneMark = 0x5A;
// Subkey names are GUIDs; anything longer than a path is not ours.
constexpr DWORD SubkeyNameUnits = 260;

using Bytes = std::vector<unsigned char>;

// The texts one after another, each with its NUL.
template <class List> Bytes EncodeNames(const List& names)
{
    Bytes bytes;
    for (const MString& name : names)
    {
        const auto* data = reinterpret_cast<const unsigned char*>(name.GetText());
        bytes.insert(bytes.end(), data, data + (name.GetLength() + 1) * sizeof(wchar_t));
    }
    return bytes;
}

// The texts of a name list; false when the bytes are odd, a text is empty or
// the data ends inside a text.
template <class List> bool DecodeNames(ValueBytes bytes, List& names)
{
    if (bytes.size % 2 != 0)
        return false;
    const size_t units = bytes.size / 2;
    std::vector<wchar_t> text(units);
    if (units)
        std::memcpy(text.data(), bytes.data, bytes.size);
    size_t start = 0;
    for (size_t i = 0; i < units; ++i)
        if (text[i] == 0)
        {
            if (i == start)
                return false;
            MString name{ElementCount(i - start)};
            std::memcpy(name.GetData(), text.data() + start, (i - start) * sizeof(wchar_t));
            names.push_back(std::move(name));
            start = i + 1;
        }
    return start == units;
}

void PutWord(Bytes& bytes, size_t at, unsigned __int64 value)
{
    std::memcpy(bytes.data() + at, &value, sizeof(value));
}

// The caller has checked that the eight bytes lie inside the value.
unsigned __int64 GetWord(ValueBytes bytes, size_t at)
{
    unsigned __int64 value = 0;
    std::memcpy(&value, bytes.data + at, sizeof(value));
    return value;
}

unsigned __int64 HashOf(ValueBytes bytes)
{
    return PrimeTableHash(bytes.data, bytes.size);
}

ValueBytes View(const Bytes& bytes)
{
    return ValueBytes{bytes.data(), bytes.size()};
}

void WriteBinary(const RegistryKey& key, const wchar_t* name, const Bytes& bytes)
{
    if (key.Set(name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS)
        key.Delete(name);
}

// A whole value of the given type; false when it is missing, unreadable or
// of another type.
bool ReadValue(const RegistryKey& key, const wchar_t* name, DWORD expectedType, Bytes& bytes)
{
    DWORD type = 0, size = 0;
    if (key.Query(name, type, nullptr, size) != ERROR_SUCCESS || type != expectedType)
        return false;
    bytes.assign(size, 0);
    if (key.Query(name, type, bytes.data(), size) != ERROR_SUCCESS || type != expectedType)
        return false;
    bytes.resize(size);
    return true;
}

void StoreNode(HKEY parent, const WalkFolder& node)
{
    RegistryKey key;
    if (!key.Create(parent, NewGuidString().GetText(), KEY_ALL_ACCESS))
        return;
    const MString& name = node.Name();
    if (key.Set(nullptr, REG_SZ, name.GetText(), static_cast<DWORD>((name.GetLength() + 1) * sizeof(wchar_t))) !=
        ERROR_SUCCESS)
        key.Delete(nullptr);
    const Bytes completed = EncodeNames(node.CompletedItems());
    WriteBinary(key, CompletedValueName, completed);
    Bytes exhausted(ExhaustedSize);
    exhausted[0] = node.IsDone() ? DoneMark : NotDoneMark;
    PutWord(exhausted, 1, PrimeTableHash(name));
    PutWord(exhausted, 9, HashOf(View(completed)));
    PutWord(exhausted, 17, PrimeTableHash(exhausted.data(), 17));
    WriteBinary(key, ExhaustedValueName, exhausted);
    for (const auto& child : node.Children())
        StoreNode(key.Get(), *child);
}

// The names of a key's subkeys; false when they cannot be listed.
bool SubkeyNames(HKEY key, std::vector<MString>& names)
{
    DWORD count = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    for (DWORD index = 0; index < count; ++index)
    {
        wchar_t name[SubkeyNameUnits + 1] = {};
        DWORD length = SubkeyNameUnits + 1;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        names.emplace_back(name);
    }
    return true;
}

// The three values of one node's key, with their checks.
bool ReadNode(const RegistryKey& key, MString& name, std::vector<MString>& completed, bool& done)
{
    Bytes nameBytes, completedBytes, exhausted;
    if (!ReadValue(key, nullptr, REG_SZ, nameBytes) || !ReadValue(key, CompletedValueName, REG_BINARY, completedBytes) ||
        !ReadValue(key, ExhaustedValueName, REG_BINARY, exhausted))
        return false;
    return DecodeDisplayControlNode(View(nameBytes), View(completedBytes), View(exhausted), name, completed, done);
}

// Fills the node from its key, then adds every subkey as a child node,
// loaded the same way.
bool LoadNode(const RegistryKey& key, WalkFolder& node, const std::vector<MString>& completed, bool done)
{
    node.SetDone(done);
    for (const MString& item : completed)
        node.AddCompleted(item);
    std::vector<MString> children;
    if (!SubkeyNames(key.Get(), children))
        return false;
    for (const MString& childKeyName : children)
    {
        RegistryKey childKey;
        MString name;
        std::vector<MString> childCompleted;
        bool childDone = false;
        if (!childKey.Open(key.Get(), childKeyName.GetText(), KEY_READ) ||
            !ReadNode(childKey, name, childCompleted, childDone) ||
            !LoadNode(childKey, node.AddChild(name), childCompleted, childDone))
            return false;
    }
    return true;
}

// Loads the top items below the subkey; processed ones are marked done.
bool LoadItems(const RegistryKey& control, const wchar_t* subkey, WalkItems& items, bool processed)
{
    RegistryKey key;
    if (!key.Create(control.Get(), subkey, KEY_READ))
        return false;
    std::vector<MString> names;
    if (!SubkeyNames(key.Get(), names))
        return false;
    for (const MString& keyName : names)
    {
        RegistryKey itemKey;
        MString name;
        std::vector<MString> completed;
        bool done = false;
        if (!itemKey.Open(key.Get(), keyName.GetText(), KEY_READ) || !ReadNode(itemKey, name, completed, done))
            return false;
        auto top = std::make_unique<WalkFolder>(name);
        if (!LoadNode(itemKey, *top, completed, done))
            return false;
        if (processed)
        {
            top->SetDone(true);
            items.push_back(std::move(top));
        }
        else
            InsertByName(items, std::move(top));
    }
    return true;
}

bool LoadFromKey(const RegistryKey& control, LocalWalkState& state)
{
    Bytes total, thisLoop, lastLoop, unique;
    if (!ReadValue(control, TotalValueName, REG_BINARY, total) ||
        !ReadValue(control, ThisLoopValueName, REG_BINARY, thisLoop) ||
        !ReadValue(control, LastLoopValueName, REG_BINARY, lastLoop) ||
        !ReadValue(control, UniqueNamesValueName, REG_BINARY, unique))
        return false;
    if (!DecodeDisplayControlLists(View(total), View(thisLoop), View(lastLoop), View(unique), state))
        return false;
    return LoadItems(control, RemainingKeyName, state.remaining, false) &&
           LoadItems(control, ProcessedKeyName, state.processed, true);
}

MString ControlKeyPath()
{
    return MString(sX::Format(), L"%s\\%s", ProgramSettingsKeyPath(), DisplayControlKeyName);
}
}

bool DecodeDisplayControlLists(ValueBytes total, ValueBytes thisLoop, ValueBytes lastLoop, ValueBytes unique,
                               LocalWalkState& state)
{
    if (total.size != TotalSize)
        return false;
    if (GetWord(total, 8) != HashOf(thisLoop) || GetWord(total, 16) != HashOf(lastLoop) ||
        GetWord(total, 24) != HashOf(unique) || GetWord(total, 32) != PrimeTableHash(total.data, 32))
        return false;
    if (!DecodeNames(thisLoop, state.shownThisLoop) || !DecodeNames(lastLoop, state.shownLastLoop) ||
        !DecodeNames(unique, state.uniqueNames))
        return false;
    state.shownCount = GetWord(total, 0);
    return state.shownCount >= state.shownThisLoop.size();
}

bool DecodeDisplayControlNode(ValueBytes nameBytes, ValueBytes completedItems, ValueBytes exhausted, MString& name,
                              std::vector<MString>& completed, bool& done)
{
    if (exhausted.size != ExhaustedSize)
        return false;
    std::vector<MString> names;
    if (!DecodeNames(nameBytes, names) || names.size() != 1 || !DecodeNames(completedItems, completed))
        return false;
    name = names.front();
    if (GetWord(exhausted, 1) != PrimeTableHash(name) || GetWord(exhausted, 9) != HashOf(completedItems) ||
        GetWord(exhausted, 17) != PrimeTableHash(exhausted.data, 17))
        return false;
    done = exhausted.data[0] == DoneMark;
    return true;
}

void StoreDisplayControl(const LocalWalkState& state)
{
    SHDeleteKeyW(HKEY_CURRENT_USER, ControlKeyPath().GetText());
    RegistryKey control;
    if (!control.Create(HKEY_CURRENT_USER, ControlKeyPath().GetText(), KEY_ALL_ACCESS))
        return;
    const Bytes thisLoop = EncodeNames(state.shownThisLoop);
    const Bytes lastLoop = EncodeNames(state.shownLastLoop);
    const Bytes unique = EncodeNames(state.uniqueNames);
    WriteBinary(control, ThisLoopValueName, thisLoop);
    WriteBinary(control, LastLoopValueName, lastLoop);
    WriteBinary(control, UniqueNamesValueName, unique);
    Bytes total(TotalSize);
    PutWord(total, 0, state.shownCount);
    PutWord(total, 8, HashOf(View(thisLoop)));
    PutWord(total, 16, HashOf(View(lastLoop)));
    PutWord(total, 24, HashOf(View(unique)));
    PutWord(total, 32, PrimeTableHash(total.data(), 32));
    WriteBinary(control, TotalValueName, total);

    RegistryKey remaining, processed;
    remaining.Create(control.Get(), RemainingKeyName, KEY_ALL_ACCESS);
    processed.Create(control.Get(), ProcessedKeyName, KEY_ALL_ACCESS);
    for (const WalkItems* items : {&state.remaining, &state.processed})
        for (const auto& item : *items)
        {
            const RegistryKey& under = item->IsDone() ? processed : remaining;
            if (under.IsOpen())
                StoreNode(under.Get(), *item);
        }
}

bool LoadDisplayControl(LocalWalkState& state)
{
    state = LocalWalkState();
    bool loaded = false;
    {
        RegistryKey control;
        if (control.Open(HKEY_CURRENT_USER, ControlKeyPath().GetText(), KEY_ALL_ACCESS))
            loaded = LoadFromKey(control, state);
    }
    // The state is consumed: a crash before the next clean end leaves none.
    SHDeleteKeyW(HKEY_CURRENT_USER, ControlKeyPath().GetText());
    if (!loaded)
        state = LocalWalkState();
    return loaded;
}
