// The indexed builders must give exactly the lists, in the same order, that
// adding Val by Val with AddVal and walking unions with UnionOfReducedFactors
// give, on lists long enough for the index (and its compaction) to be used.
#include "strategy/dominance_index.h"
#include "strategy/reduced.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <random>

namespace nvx {
namespace {

using test::RecordingHost;

struct Rng {
    std::mt19937 gen;
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); }
};

// A Val of tricks around `level`, so that later Vals tend to beat earlier
// ones when the level rises.
Val RandomVal(Rng& rng, std::size_t length, int level, int spread) {
    Val v = Val::withLength(length);
    for (std::size_t p = 0; p < length; ++p)
        v[p] = static_cast<std::uint8_t>(std::clamp(level + rng.pick(-spread, spread), 0, 13));
    return v;
}

// Rising rounds remove many Vals, so that the index compacts; a Val the index
// cannot hold (no trick count) sends the builder back to the walk.
TEST(ReducedListBuilder, SameListAsAddingOneByOne) {
    Rng rng{std::mt19937(515)};
    RecordingHost host;
    std::size_t longest = 0;
    for (int round = 0; round < 60; ++round) {
        const bool rising = round % 4 == 0;
        const std::size_t length =
            rising ? 12 : static_cast<std::size_t>(rng.pick(1, round % 3 == 0 ? 162 : 20));
        const int spread = rising ? 2 : rng.pick(0, 3);
        const int count = rising ? 3000 : rng.pick(1, 700);
        std::vector<Val> vals;
        for (int i = 0; i < count; ++i)
            vals.push_back(RandomVal(rng, length, rising ? i * 10 / count + 1 : 3, spread));
        // Now and then an earlier Val again.
        for (int i = 0; i < count / 10; ++i)
            vals.insert(vals.begin() + rng.pick(1, count), vals[rng.pick(0, count - 1)]);
        if (round % 10 == 5 && count > 1) {
            Val odd = vals[0];
            odd[0] = 200;
            vals.insert(vals.begin() + count / 2, odd);
        }
        ReducedListBuilder b;
        for (const Val& v : vals)
            b.Add(host, v);
        Factor oneByOne;
        for (const Val& v : vals)
            AddVal(host, oneByOne, v);
        const EvalList& expected = oneByOne.EvalList;
        longest = std::max(longest, expected.size());
        EXPECT_EQ(b.Size(), expected.size());
        EXPECT_EQ(b.Take(), expected) << "round " << round;
    }
    EXPECT_GT(longest, 200u);
    EXPECT_TRUE(host.errors.empty());
}

// A reduced factor of about n Vals over a Dom of the given length.
Factor RandomReducedFactor(Rng& rng, const Dom& dom, int n, int level) {
    RecordingHost host;
    ReducedListBuilder b;
    for (int i = 0; i < n; ++i)
        b.Add(host, RandomVal(rng, dom.size(), level, 2));
    return Factor{dom, b.Take()};
}

TEST(ReducedUnion, SameAsRepeatedWalkingUnions) {
    Rng rng{std::mt19937(99)};
    RecordingHost host;
    for (int round = 0; round < 20; ++round) {
        Dom dom;
        const int length = rng.pick(2, 40);
        for (int p = 0; p < length; ++p)
            dom.push_back(static_cast<std::uint8_t>(p));
        std::vector<Factor> parts;
        const int count = rng.pick(1, 25);
        // Rising levels make later parts beat many held Vals: the index
        // compacts.
        const bool rising = round % 3 == 0;
        for (int i = 0; i < count; ++i)
            parts.push_back(RandomReducedFactor(rng, dom, rng.pick(1, 300),
                                                rising ? 1 + i * 4 / count : rng.pick(1, 4)));

        std::vector<Factor> copy = parts;
        Factor expected = copy[0];
        for (std::size_t i = 1; i < copy.size(); ++i)
            expected = UnionOfReducedFactors(host, expected, copy[i]);

        // The same, each part first cut down to the Vals that the union of a
        // few unions ago does not cover: only the Vals that joined since are
        // tested.
        std::vector<Factor> then{parts[0]}; // the union at each version
        std::vector<Factor> cut;
        std::vector<std::size_t> seenAt;
        for (std::size_t i = 1; i < parts.size(); ++i) {
            Factor next = parts[i], held = then.back();
            then.push_back(UnionOfReducedFactors(host, held, next));
            const std::size_t seen = i - 1 - std::min<std::size_t>(i - 1, rng.pick(0, 3));
            cut.push_back(Factor{dom, {}});
            for (const Val& v : parts[i].EvalList)
                if (!IsCovered(host, v, then[seen])) cut.back().EvalList.push_back(v);
            seenAt.push_back(seen);
        }

        Factor first = then[0];
        ReducedUnion u(parts[0]), v(first);
        for (std::size_t i = 1; i < parts.size(); ++i) {
            u.Unite(host, parts[i]);
            EXPECT_TRUE(parts[i].EvalList.empty()); // consumed
            ASSERT_EQ(v.Version(), i - 1);
            v.UniteSeen(host, cut[i - 1], seenAt[i - 1]);
        }
        EXPECT_EQ(u.Take(), expected) << "round " << round;
        EXPECT_EQ(v.Take(), expected) << "round " << round;

        // The one-off union of two factors.
        Factor a = RandomReducedFactor(rng, dom, 200, 2), b = RandomReducedFactor(rng, dom, 200, 2);
        Factor a2 = a, b2 = b;
        EXPECT_EQ(UnionFactors(host, a, b), UnionOfReducedFactors(host, a2, b2));
    }
    EXPECT_TRUE(host.errors.empty());
}

TEST(ProductOfFactorList, SameAsMultiplyingOneByOne) {
    // Factors over disjoint and over overlapping division sets, reduced or
    // not: the running product must come out as pairwise ProductFactors gives.
    Rng rng{std::mt19937(41)};
    RecordingHost host;
    for (int round = 0; round < 40; ++round) {
        FactorList l;
        const int count = rng.pick(1, 4);
        for (int i = 0; i < count; ++i) {
            Dom dom;
            const bool overlap = round % 3 == 0;
            const int from = overlap ? rng.pick(0, 4) : i * 10;
            for (int p = from; p < from + rng.pick(1, 6); ++p)
                dom.push_back(static_cast<std::uint8_t>(p));
            Factor f = round % 5 == 0 ? Factor{dom, {}}
                                      : RandomReducedFactor(rng, dom, rng.pick(1, 40), 2);
            if (round % 5 == 0) // not reduced: equal and dominated Vals
                for (int k = 0; k < rng.pick(1, 12); ++k)
                    f.EvalList.push_front(RandomVal(rng, dom.size(), 2, 1));
            l.push_back(f);
        }
        FactorList copy = l;
        Factor expected{Dom{}, EvalList{Val{}}};
        for (Factor& f : copy)
            expected = ProductFactors(host, expected, f);
        const Eval fixed{Dom{200, 201}, Val{3, 1}};
        Factor fixedFactor = FactorOfEval(fixed);
        Factor withFixed = expected;
        withFixed = ProductFactors(host, withFixed, fixedFactor);

        FactorList l2 = l;
        EXPECT_EQ(ProductOfFactorList(host, l), expected) << "round " << round;
        EXPECT_EQ(ExpandFactorList(host, l2, fixed), withFixed) << "round " << round;
    }
    EXPECT_TRUE(host.errors.empty());
}

TEST(ProductFactors, LongProductsSameAsAddingEveryPair) {
    // Overlapping division sets, many equal merged Vals: the product must keep
    // the first of equal ones and the pair order. In the odd rounds f1 has one
    // division of its own, so that most of its Vals are candidates for every
    // pair and the product asks its whole index instead. In the last two
    // rounds one factor has no division of its own.
    Rng rng{std::mt19937(8)};
    RecordingHost host;
    for (int round = 0; round < 8; ++round) {
        const Dom d1{0, 1, 2, 3, 4, 5};
        const Dom d2 = round == 6   ? Dom{2, 3, 4}
                       : round == 7 ? Dom{0, 1, 2, 3, 4, 5, 6, 7}
                       : round % 2  ? Dom{1, 2, 3, 4, 5, 6, 7}
                                    : Dom{3, 4, 5, 6, 7};
        Factor f1{d1, {}}, f2{d2, {}};
        for (int i = 0; i < 90 + round * 20; ++i)
            f1.EvalList.push_front(RandomVal(rng, d1.size(), 2, 2));
        for (int i = 0; i < 60; ++i)
            f2.EvalList.push_front(RandomVal(rng, d2.size(), 2, 2));
        Factor expected{DomUnion(d1, d2), {}};
        for (const Val& v1 : f1.EvalList)
            for (const Val& v2 : f2.EvalList) {
                Val m = Val::withLength(expected.Dom.size());
                MergeVal(host, m, d1, v1, d2, v2);
                AddVal(host, expected, m);
            }
        EXPECT_EQ(ProductFactors(host, f1, f2), expected) << "round " << round;
    }
    EXPECT_TRUE(host.errors.empty());
}

TEST(ReducedUnion, StopRequestDropsTheRestOfTheNewFactor) {
    Rng rng{std::mt19937(3)};
    RecordingHost host;
    Dom dom{0, 1, 2, 3, 4, 5, 6, 7};
    Factor first = RandomReducedFactor(rng, dom, 400, 2);
    Factor next = RandomReducedFactor(rng, dom, 400, 3);
    const std::size_t held = first.EvalList.size();
    ReducedUnion u(first);
    host.stop = true;
    u.Unite(host, next);
    // Nothing of the new factor was looked at: the held Vals stay as they were.
    EXPECT_EQ(u.Take().EvalList.size(), held);
}

TEST(DominanceIndex, AddingAllAtOnceAsOneByOne) {
    // Runs that start and end inside blocks: both indexes must find the same
    // entries, and removing through one its ids must leave the same; both
    // count what is left, also across compactions.
    Rng rng{std::mt19937(23)};
    DominanceIndex one(20), all(20);
    std::vector<Val> vals;
    // Past 128 blocks the groups of groups come in too. The long runs have
    // no tricks at one position of their own, so that some groups rule a
    // query out by their bounds alone.
    std::vector<int> runs{5, 64, 130, 1, 700};
    runs.insert(runs.end(), 15, 600);
    for (int run : runs) {
        std::vector<const Val*> batch;
        const auto none = static_cast<std::size_t>(run >= 600 ? rng.pick(0, 19) : 20);
        for (int i = 0; i < run; ++i) {
            vals.push_back(RandomVal(rng, 20, 3, 3));
            if (none < 20) vals.back()[none] = 0;
        }
        for (std::size_t i = vals.size() - run; i < vals.size(); ++i) {
            one.Add(vals[i], 4);
            batch.push_back(&vals[i]);
        }
        all.AddAll(batch, 4);
    }
    std::vector<std::uint32_t> a, b;
    std::size_t live = vals.size();
    for (int q = 0; q < 200; ++q) {
        // Every other query is low, so that many entries are at least it.
        const int level = q % 2 == 0 ? 1 : 3;
        const Val v = RandomVal(rng, 20, level, level);
        one.FindAllAtLeast(v, a);
        all.FindAllAtLeast(v, b);
        EXPECT_EQ(a, b);
        // And what a walk over the live entries' bytes finds.
        std::vector<std::uint32_t> walked;
        for (std::uint32_t id = 0; id < one.Size(); ++id)
            if (one.Live(id) && std::equal(v.begin(), v.end(), one.ValData(id),
                                           [](std::uint8_t x, std::uint8_t y) { return x <= y; }))
                walked.push_back(id);
        EXPECT_EQ(a, walked);
        // Looking only from an id on (inside a block, or on its edge) finds
        // an entry there exactly when there is one, in the last block that
        // has one. Just past the last one found, or on it, it is the edge
        // that counts.
        const int size = static_cast<int>(one.Size());
        std::size_t from = static_cast<std::size_t>(rng.pick(0, size));
        if (q % 3 == 0) from = 64 * static_cast<std::size_t>(rng.pick(0, size / 64));
        if (q % 3 == 1 && !a.empty()) from = a.back() + static_cast<std::size_t>(q % 2);
        const auto later = std::lower_bound(a.begin(), a.end(), from);
        const std::size_t found = one.FindAtLeast(v, from);
        if (later == a.end()) {
            EXPECT_EQ(found, DominanceIndex::None);
        } else {
            EXPECT_TRUE(found >= from && std::binary_search(a.begin(), a.end(), found));
            EXPECT_EQ(found / 64, a.back() / 64);
        }
        one.FindAllAtMost(v, a);
        for (std::uint32_t id : a)
            all.Remove(id);
        EXPECT_EQ(one.RemoveAtMost(v), a.size());
        live -= a.size();
        EXPECT_EQ(one.LiveCount(), live);
        EXPECT_EQ(all.LiveCount(), live);
        if (q % 50 == 49) {
            one.Compact();
            all.Compact();
            EXPECT_EQ(one.Size(), live);
            EXPECT_EQ(one.LiveCount(), live);
        }
    }
    EXPECT_LT(live, vals.size());
}

// Thousands of Vals with the same total, none of which beats another.
Factor LongFront(Rng& rng, const Dom& dom, int count) {
    RecordingHost host;
    ReducedListBuilder b;
    for (int i = 0; i < count; ++i) {
        Val v = Val::filled(dom.size(), 0);
        for (int k = 0; k < 3 * static_cast<int>(dom.size()); ++k)
            ++v[static_cast<std::size_t>(rng.pick(0, static_cast<int>(dom.size()) - 1))];
        b.Add(host, v);
    }
    return Factor{dom, b.Take()};
}

// New Vals confined to a corner (at most 1 on the first two divisions), so
// that the held Vals they can beat are few; some of them beat held Vals, some
// are beaten. The union is indexed: a view of it from a floor must answer as
// it does.
TEST(ReducedUnion, LongUnionsSameAsWalkingAndSeenFromAFloor) {
    Rng rng{std::mt19937(5)};
    RecordingHost host;
    const Dom dom{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    Factor held = LongFront(rng, dom, 8000);
    const std::vector<Val> vals(held.EvalList.begin(), held.EvalList.end());
    ASSERT_GT(vals.size(), 4096u);
    Factor next{dom, {}};
    for (const Val& w : held.EvalList)
        if (w[0] <= 1 && w[1] <= 1 && next.EvalList.size() < 300) {
            Val v = w;
            ++v[static_cast<std::size_t>(rng.pick(2, 9))];
            if (rng.pick(0, 2) == 0) v[rng.pick(2, 9)] = 0;
            AddVal(host, next, v);
        }
    ASSERT_GT(next.EvalList.size(), 100u);
    Factor held2 = held, next2 = next;
    // next joins in two parts, the first to start the union's index. A view
    // made in between follows the union to a higher floor: it keeps copies
    // of held Vals that the second part beats, and must take in its Vals.
    Factor first{dom, {}}, second{dom, {}};
    for (const Val& v : next.EvalList)
        (first.EvalList.size() < 40 ? first : second).EvalList.push_back(v);
    Factor first2 = first, second2 = second;
    ReducedUnion u(held);
    u.Unite(host, first);
    const Val low{0, 0, 3, 0, 0, 0, 0, 0, 0, 0}, higher{0, 0, 3, 1, 0, 0, 0, 0, 0, 0};
    FloorView following(u, low);
    u.Unite(host, second);
    ASSERT_FALSE(following.Follow(Val{0, 0, 2, 1, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(following.Follow(higher));

    const Val floor{5, 4, 0, 0, 0, 0, 0, 0, 0, 0};
    const FloorView view(u, floor);
    const auto agree = [&](const FloorView& w, const Val& from, bool corner) {
        RecentBeaters recent;
        int covered = 0;
        for (int q = 0; q < 2000; ++q) {
            // A held Val (or one of next's) one lower or one higher
            // somewhere, raised to the floor or not.
            Val v = corner && q % 4 == 0
                        ? *std::next(next2.EvalList.begin(),
                                     rng.pick(0, static_cast<int>(next2.EvalList.size()) - 1))
                        : vals[static_cast<std::size_t>(
                              rng.pick(0, static_cast<int>(vals.size()) - 1))];
            std::uint8_t& x = v[static_cast<std::size_t>(rng.pick(0, 9))];
            x = q % 3 == 0 ? x + 1 : x > 0 ? x - 1 : 0;
            if (q % 2 == 0) detail::MaxBytes(v.data(), v.data(), from.data(), v.size());
            EXPECT_EQ(w.Covers(v, recent), u.Covers(v));
            covered += u.Covers(v) ? 1 : 0;
        }
        EXPECT_GT(covered, 500);
        EXPECT_LT(covered, 1500);
    };
    agree(view, floor, false);
    agree(following, higher, true);
    Factor once = UnionOfReducedFactors(host, held2, first2);
    EXPECT_EQ(u.Take(), UnionOfReducedFactors(host, once, second2));
}

} // namespace
} // namespace nvx
