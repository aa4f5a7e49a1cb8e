// The rules the layouts and alternatives lists keep, which a fault in their description would break.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "model/keyboard.h"
#include "support/layouts.h"

namespace {

using testsupport::ShownLayout;
const std::vector<ShownLayout> layouts = testsupport::allLayouts();

// Keys of a row, walked to the sentinel as the panel walks them.
std::vector<const KeyRecord *> keysOf(const KeyRow &row)
{
    std::vector<const KeyRecord *> keys;
    for (int i = 0; i < ROW_SLOTS && !isSentinel(row[i]); ++i)
        keys.push_back(&row[i]);
    return keys;
}

int sentinelSlot(const KeyRecord *slots, int count)
{
    for (int i = 0; i < count; ++i)
        if (isSentinel(slots[i]))
            return i;
    return -1;
}

std::vector<const KeyRecord *> alternativesOf(const KeyRecord *list)
{
    std::vector<const KeyRecord *> alts;
    for (int i = 1; i < LIST_SLOTS && !isSentinel(list[i]); ++i)
        alts.push_back(&list[i]);
    return alts;
}

// Whether a pixel column of a row lies in one of the documented gaps (row 2 of numeric and symbols).
bool isDocumentedGap(const ShownLayout &info, int row, LONG x)
{
    bool gapLayout = info.layout == &numericPortrait || info.layout == &numericLandscape ||
                     info.layout == &symbolsPortrait || info.layout == &symbolsLandscape;
    if (!gapLayout || row != 2)
        return false;
    return info.width == 480 ? (x >= 384 && x <= 407) : (x >= 512 && x <= 543);
}

TEST(Layouts, RowsEndInASentinelSpanningTheWidthWithZeroSlotsAfterIt)
{
    for (const ShownLayout &info : layouts) {
        for (int r = 0; r < ROW_COUNT; ++r) {
            const KeyRow &row = (*info.layout)[r];
            int s = sentinelSlot(row, ROW_SLOTS);
            ASSERT_GE(s, 1) << info.name << " row " << r << " has no sentinel or no key";
            EXPECT_EQ(info.width, row[s].left) << info.name << " row " << r;
            EXPECT_EQ(info.width, row[s].right) << info.name << " row " << r;
            EXPECT_EQ(0u, row[s].character) << info.name << " row " << r;
            EXPECT_EQ(0u, row[s].flags) << info.name << " row " << r;
            EXPECT_EQ(nullptr, row[s].alternatives) << info.name << " row " << r;
            for (int i = s + 1; i < ROW_SLOTS; ++i) {
                EXPECT_EQ(0, row[i].left) << info.name << " row " << r << " slot " << i;
                EXPECT_EQ(0, row[i].right) << info.name << " row " << r << " slot " << i;
                EXPECT_EQ(0, row[i].vk) << info.name << " row " << r << " slot " << i;
            }
        }
    }
}

TEST(Layouts, RowBoundsAscendToTheHeightInEqualRows)
{
    for (const ShownLayout &info : layouts) {
        const RowBounds &b = *info.rows;
        EXPECT_EQ(0, b[0]) << info.name;
        EXPECT_EQ(info.height, b[4]) << info.name;
        for (int i = 0; i < ROW_COUNT; ++i)
            EXPECT_EQ(info.height / 4, b[i + 1] - b[i]) << info.name << " row " << i;
    }
}

TEST(Layouts, KeysAscendWithoutOverlapAndEveryPixelHasExactlyOneKeyOutsideTheGaps)
{
    for (const ShownLayout &info : layouts) {
        for (int r = 0; r < ROW_COUNT; ++r) {
            std::vector<const KeyRecord *> keys = keysOf((*info.layout)[r]);
            for (size_t k = 0; k < keys.size(); ++k) {
                EXPECT_LE(keys[k]->left, keys[k]->right) << info.name << " row " << r << " slot " << k;
                if (k > 0)
                    EXPECT_LT(keys[k - 1]->right, keys[k]->left) << info.name << " row " << r << " slot " << k;
            }
            for (LONG x = 0; x < info.width; ++x) {
                int owners = 0;
                for (const KeyRecord *key : keys)
                    owners += key->left <= x && x <= key->right;
                EXPECT_EQ(isDocumentedGap(info, r, x) ? 0 : 1, owners) << info.name << " row " << r << " x " << x;
            }
        }
    }
}

TEST(Layouts, NoKeyCarriesTheSentinelCodeOrTheRunTimePressedBit)
{
    for (const ShownLayout &info : layouts) {
        for (int r = 0; r < ROW_COUNT; ++r) {
            for (const KeyRecord *key : keysOf((*info.layout)[r])) {
                EXPECT_NE(SENTINEL_VK, key->vk) << info.name << " row " << r << " x " << key->left;
                EXPECT_EQ(0u, key->flags & KEY_PRESSED) << info.name << " row " << r << " x " << key->left;
                EXPECT_EQ(0u, key->flags & ~0x1FDu) << info.name << " row " << r << " x " << key->left;
            }
        }
    }
}

TEST(Layouts, ModeKeysTypeNothingAndCarryExactlyOneModeBit)
{
    int modeKeys = 0;
    for (const ShownLayout &info : layouts) {
        for (int r = 0; r < ROW_COUNT; ++r) {
            for (const KeyRecord *key : keysOf((*info.layout)[r])) {
                UINT bits = key->flags & KEY_MODE_MASK;
                if (!bits)
                    continue;
                ++modeKeys;
                EXPECT_EQ(0, bits & (bits - 1)) << info.name << " row " << r << " x " << key->left;
                EXPECT_EQ(0, key->vk) << info.name << " row " << r << " x " << key->left;
                EXPECT_EQ(0u, key->character) << info.name << " row " << r << " x " << key->left;
                EXPECT_EQ(0u, key->flags & ~KEY_MODE_MASK) << info.name << " row " << r << " x " << key->left;
                EXPECT_EQ(nullptr, key->alternatives) << info.name << " row " << r << " x " << key->left;
            }
        }
    }
    // shift, numeric, symbols in each letter layout; two mode keys in each numeric and symbols layout.
    EXPECT_EQ(4 * 3 + 4 * 2, modeKeys);
}

// The case rule of the letter family: a letter key sends its capital's code; only the upper case
// shifts, and it shifts every letter.
TEST(Layouts, EveryCapitalIsShiftedAndNoLowerCaseKeyIs)
{
    for (const ShownLayout &info : layouts) {
        bool upper = info.layout == &upperPortrait || info.layout == &upperLandscape;
        if (!upper && info.layout != &lowerPortrait && info.layout != &lowerLandscape)
            continue;
        int letters = 0;
        for (int r = 0; r < ROW_COUNT; ++r) {
            for (const KeyRecord *key : keysOf((*info.layout)[r])) {
                UINT capital = upper ? key->character : key->character - 0x20;
                bool letter = capital >= 'A' && capital <= 'Z';
                letters += letter;
                EXPECT_EQ(upper && letter, (key->flags & KEY_SHIFTED) != 0)
                    << info.name << " row " << r << " x " << key->left;
                if (letter)
                    EXPECT_EQ(capital, (UINT)key->vk) << info.name << " row " << r << " x " << key->left;
            }
        }
        EXPECT_EQ(26, letters) << info.name;
    }
}

struct ListOwner {
    const KeyRecord *list;
    const KeyRecord *owner;
};

std::vector<ListOwner> listOwners()
{
    std::vector<ListOwner> owners;
    for (const ShownLayout &info : layouts)
        for (int r = 0; r < ROW_COUNT; ++r)
            for (const KeyRecord *key : keysOf((*info.layout)[r]))
                if (key->alternatives)
                    owners.push_back(ListOwner{key->alternatives, key});
    return owners;
}

TEST(AlternativesLists, ThirtyFiveListsWithDistinctImagesEachOwnedInBothOrientations)
{
    std::vector<ListOwner> owners = listOwners();
    std::set<const KeyRecord *> lists;
    std::set<UINT> images;
    for (const ListOwner &o : owners)
        lists.insert(o.list);
    for (const KeyRecord *list : lists) {
        images.insert(list[0].flags);
        int count = 0;
        for (const ListOwner &o : owners)
            count += o.list == list;
        EXPECT_EQ(2, count) << "list 0x" << std::hex << list[0].flags;
        UINT id = list[0].flags;
        bool inRange =
            (id >= 0x2000 && id <= 0x20A0) || (id >= 0x2100 && id <= 0x21A0) || (id >= 0x2200 && id <= 0x22C0);
        EXPECT_TRUE(inRange && id % 0x10 == 0) << "list 0x" << std::hex << id;
    }
    EXPECT_EQ(35u, lists.size());
    EXPECT_EQ(35u, images.size());
}

TEST(AlternativesLists, CellsAreFortyEightWideFromZeroAndTheHeaderCentresTheDefault)
{
    for (const ListOwner &o : listOwners()) {
        const KeyRecord *list = o.list;
        const KeyRecord &h = list[0];
        std::vector<const KeyRecord *> alts = alternativesOf(list);
        SCOPED_TRACE(testing::Message() << "list 0x" << std::hex << h.flags);
        ASSERT_GE(alts.size(), 2u);
        ASSERT_LE(alts.size(), 9u);
        EXPECT_EQ(0, h.vk);
        EXPECT_EQ(nullptr, h.alternatives);
        for (size_t k = 0; k < alts.size(); ++k) {
            EXPECT_EQ((LONG)(48 * k), alts[k]->left) << "alternative " << k + 1;
            EXPECT_EQ((LONG)(48 * k + 47), alts[k]->right) << "alternative " << k + 1;
            EXPECT_EQ(nullptr, alts[k]->alternatives) << "alternative " << k + 1;
            EXPECT_NE(SENTINEL_VK, alts[k]->vk) << "alternative " << k + 1;
        }
        ASSERT_GE(h.character, 1u);
        ASSERT_LE(h.character, alts.size());
        const KeyRecord &def = list[h.character];
        EXPECT_EQ(-def.left, h.left);
        EXPECT_EQ(h.left + 48 * (LONG)alts.size(), h.right);
        const KeyRecord &sentinel = list[alts.size() + 1];
        EXPECT_EQ(640, sentinel.left);
        EXPECT_EQ(640, sentinel.right);
        for (size_t i = alts.size() + 2; i < (size_t)LIST_SLOTS; ++i)
            EXPECT_EQ(0, list[i].vk) << "slot " << i << " after the sentinel";
    }
}

TEST(AlternativesLists, TheDefaultRepeatsItsKeyAndTheOthersAreBareCharacters)
{
    for (const ListOwner &o : listOwners()) {
        const KeyRecord *list = o.list;
        SCOPED_TRACE(testing::Message() << "list 0x" << std::hex << list[0].flags);
        std::vector<const KeyRecord *> alts = alternativesOf(list);
        std::set<UINT> characters;
        for (size_t k = 0; k < alts.size(); ++k) {
            const KeyRecord *alt = alts[k];
            characters.insert(alt->character);
            EXPECT_NE(0u, alt->character) << "alternative " << k + 1;
            if (k + 1 == list[0].character) {
                EXPECT_EQ(o.owner->vk, alt->vk);
                EXPECT_EQ(o.owner->character, alt->character);
                EXPECT_EQ(o.owner->flags, alt->flags);
            } else {
                EXPECT_EQ(0, alt->vk) << "alternative " << k + 1;
                EXPECT_EQ(0u, alt->flags) << "alternative " << k + 1;
            }
        }
        EXPECT_EQ(alts.size(), characters.size()) << "a character repeats within the list";
    }
}

// Lower-case of the Latin letters the lists use (Basic Latin, Latin-1, Latin Extended-A).
UINT latinLower(UINT c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 0x20;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c % 2 == 0 ? c + 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return c % 2 == 1 ? c + 1 : c;
    if (c == 0x178)
        return 0xFF;
    return c;
}

TEST(AlternativesLists, EachLowerCaseListIsTheLowerCaseOfItsUpperCaseList)
{
    for (int r = 0; r < ROW_COUNT; ++r) {
        std::vector<const KeyRecord *> lk = keysOf(lowerPortrait[r]);
        for (size_t k = 0; k < lk.size(); ++k) {
            if (!lk[k]->alternatives)
                continue;
            std::vector<const KeyRecord *> lower = alternativesOf(lk[k]->alternatives);
            std::vector<const KeyRecord *> upper = alternativesOf(upperPortrait[r][k].alternatives);
            SCOPED_TRACE(testing::Message() << "key " << (char)lk[k]->character);
            // Only the lower-case s list has a letter (sharp s) without a capital of its own.
            ASSERT_EQ(upper.size() + (lk[k]->character == 's' ? 1 : 0), lower.size());
            for (size_t i = 0; i < upper.size(); ++i) {
                EXPECT_EQ(latinLower(upper[i]->character), lower[i]->character) << "alternative " << i + 1;
                EXPECT_NE(upper[i]->character, lower[i]->character) << "alternative " << i + 1;
            }
        }
    }
}

// Finds the key of a layout that types a character (first match, walking rows to their sentinel).
const KeyRecord *keyTyping(KeyboardLayout &layout, UINT character)
{
    for (int r = 0; r < ROW_COUNT; ++r)
        for (const KeyRecord *key : keysOf(layout[r]))
            if (key->character == character)
                return key;
    return nullptr;
}

TEST(LayoutSpotChecks, TheNumberSignIsAnOrdinaryKeyBecauseOnlyTheCodeEndsAWalk)
{
    const KeyRecord &hash = symbolsPortrait[0][2];
    EXPECT_EQ(0x33, hash.vk);
    EXPECT_EQ(0x23u, hash.character);
    EXPECT_EQ((UINT)KEY_SHIFTED, hash.flags);
    EXPECT_EQ(10u, keysOf(symbolsPortrait[0]).size());
}

TEST(LayoutSpotChecks, PairsOfSymbolsShareOneCodeAndDifferInShift)
{
    struct Pair {
        UINT shifted, plain;
        BYTE vk;
    } pairs[] = {{'_', '-', 0xBD},  {'+', '=', 0xBB},  {':', ';', 0xBA},
                 {'"', '\'', 0xDE}, {'|', '\\', 0xDC}, {'?', '/', 0xBF}};
    for (const Pair &p : pairs) {
        for (KeyboardLayout *layout : {&symbolsPortrait, &symbolsLandscape}) {
            const KeyRecord *s = keyTyping(*layout, p.shifted);
            const KeyRecord *n = keyTyping(*layout, p.plain);
            ASSERT_TRUE(s && n) << (char)p.plain;
            EXPECT_EQ(p.vk, s->vk) << (char)p.shifted;
            EXPECT_EQ(p.vk, n->vk) << (char)p.plain;
            EXPECT_TRUE(s->flags & KEY_SHIFTED) << (char)p.shifted;
            EXPECT_FALSE(n->flags & KEY_SHIFTED) << (char)p.plain;
        }
    }
}

TEST(LayoutSpotChecks, CharactersWithoutACodeTypeOnlyTheirCharacter)
{
    const UINT noCode[] = {0x2022, 0x00B0, 0x00BD};
    for (UINT c : noCode) {
        const KeyRecord *key = keyTyping(symbolsLandscape, c);
        ASSERT_TRUE(key) << std::hex << c;
        EXPECT_EQ(0, key->vk);
        EXPECT_EQ(0u, key->flags & KEY_VIRTUAL);
    }
}

TEST(LayoutSpotChecks, SharpSIsOnlyInTheLowerCaseList)
{
    EXPECT_EQ(4u, alternativesOf(lowerPortrait[1][2].alternatives).size());
    EXPECT_EQ(3u, alternativesOf(upperPortrait[1][2].alternatives).size());
    EXPECT_EQ(0xDFu, lowerPortrait[1][2].alternatives[4].character);
}

TEST(LayoutSpotChecks, TheLargestListsPutTheirSentinelInTheLastSlot)
{
    const KeyRecord *largest[] = {lowerPortrait[1][1].alternatives, upperPortrait[1][1].alternatives,
                                  lowerPortrait[0][8].alternatives, upperPortrait[0][8].alternatives};
    for (const KeyRecord *list : largest) {
        EXPECT_EQ(10, sentinelSlot(list, LIST_SLOTS)) << std::hex << list[0].flags;
    }
}

} // namespace
