#pragma once

#include "platform/rounding.h"

#include <utility>

// Sorts the positions first to last, both included, by a quicksort around the middle
// position ((first + last) / 2, rounded half to even), whose value is copied once and
// does not move with the exchanges. compare(position, pivot) is negative when the item
// at position sorts before the pivot, positive when after, 0 when neither. Items that
// compare equal take part in exchanges, so the sort is not stable: where they end is
// part of its definition.
//
// The two parts of a partition are disjoint, so sorting the smaller one first and the
// larger one in the loop gives the same order as recursing into both, with a recursion
// no deeper than log2 of the count.
template <typename PivotOf, typename Compare, typename Exchange>
void middlePivotQuickSort(int first, int last, const PivotOf &pivotOf, const Compare &compare, const Exchange &exchange)
{
    while (first < last) {
        int lo = first;
        int hi = last;
        const auto pivot = pivotOf(int(roundHalfEven((first + last) / 2.0)));
        while (lo <= hi) {
            while (compare(lo, pivot) < 0 && lo < last)
                ++lo;
            while (compare(hi, pivot) > 0 && hi > first)
                --hi;
            if (lo > hi)
                break;
            exchange(lo, hi);
            ++lo;
            --hi;
        }
        if (hi - first < last - lo) {
            if (first < hi)
                middlePivotQuickSort(first, hi, pivotOf, compare, exchange);
            first = lo;
        } else {
            if (lo < last)
                middlePivotQuickSort(lo, last, pivotOf, compare, exchange);
            last = hi;
        }
    }
}
