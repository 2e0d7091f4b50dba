#pragma once

#include "core/Errors.h"

#include <map>
#include <utility>

namespace ostrivo {

// An indexed set of like controls, as plain data: member 0 is the hidden pattern, members 1.. are
// created from it one by one and removed one by one. Addressing a member that does not exist
// throws "subscript out of range"; creating one twice throws too.
template <typename T>
class ControlSet {
public:
    explicit ControlSet(T pattern = T{}) { members_.emplace(0, std::move(pattern)); }

    const T& pattern() const { return members_.at(0); }
    T& pattern() { return members_.at(0); }

    // Creates member index as a copy of the pattern.
    T& load(int index)
    {
        if (index <= 0 || members_.count(index))
            throw Error(err::SubscriptOutOfRange,
                        QStringLiteral("Elemento %1 già caricato o indice non valido").arg(index));
        return members_.emplace(index, members_.at(0)).first->second;
    }
    // Removes member index; a member that no longer exists is skipped.
    void unload(int index)
    {
        if (index > 0)
            members_.erase(index);
    }
    bool exists(int index) const { return index > 0 && members_.count(index) != 0; }

    T& operator()(int index) { return at(index); }
    const T& operator()(int index) const { return at(index); }

    // Members 1.. in index order.
    template <typename F>
    void forEach(F&& visit) const
    {
        for (const auto& [index, member] : members_) {
            if (index > 0)
                visit(index, member);
        }
    }
    int size() const { return static_cast<int>(members_.size()) - 1; }

    bool operator==(const ControlSet&) const = default;

private:
    T& at(int index)
    {
        auto it = members_.find(index);
        if (index <= 0 || it == members_.end())
            throw Error(err::SubscriptOutOfRange, QStringLiteral("Elemento %1 dell'insieme non caricato").arg(index));
        return it->second;
    }
    const T& at(int index) const { return const_cast<ControlSet*>(this)->at(index); }

    std::map<int, T> members_;
};

}  // namespace ostrivo
