#include "Classification.h"

#include "Notes.h"
#include "Random.h"
#include "Text.h"

#include <algorithm>

namespace makedb
{

namespace
{

constexpr std::uint64_t StructureSeed = 0x5A454C5400000001ull;

std::string twoDigits(int value)
{
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

// Weights 2..9 from the right, modulus 11, ten and eleven folded to 0.
std::string checkDigit(const std::string &digits)
{
    int sum = 0;
    int weight = 2;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        sum += (*it - '0') * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int digit = 11 - sum % 11;
    return std::string(1, static_cast<char>('0' + (digit >= 10 ? 0 : digit)));
}

// "a", "a e b", "a, b e c"; "a e b, c" where a second "e" would blur the list.
std::string joinedList(const std::vector<std::string> &items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const bool last = i + 1 == items.size();
        if (i > 0)
            text += last && items[i - 1].find(" e ") == std::string::npos ? " e " : ", ";
        text += items[i];
    }
    return text;
}

void addSubclasses(Class &cls, std::size_t count, const std::vector<std::string> &qualifierPool,
                   Random &random)
{
    std::vector<std::string> pool = qualifierPool;
    for (std::size_t i = 0; i < count; ++i) {
        Subclass sub;
        sub.code = twoDigits(static_cast<int>(i) + 1);
        sub.checkDigit = checkDigit(cls.code + sub.code);
        if (count > 1) {
            const std::size_t chosen = random.below(pool.size());
            sub.qualifier = pool[chosen];
            pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(chosen));
            sub.description = cls.description + ", " + sub.qualifier;
        } else {
            sub.description = cls.description;
        }
        cls.subclasses.push_back(sub);
    }
}

// Classes of one group: the pairs of action and product, the first pair always, a few more drawn.
std::vector<Class> classesOf(const std::string &groupCode, const std::vector<std::string> &products,
                             const Topic &topic, Kind kind, Random &random)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto &product : products)
        for (const auto &action : topic.actions)
            pairs.emplace_back(action, product);
    const std::size_t wanted = std::min(pairs.size(), 1 + random.below(4));
    std::vector<std::size_t> chosen = {0};
    while (chosen.size() < wanted) {
        const std::size_t index = 1 + random.below(pairs.size() - 1);
        if (std::find(chosen.begin(), chosen.end(), index) == chosen.end())
            chosen.push_back(index);
    }
    std::sort(chosen.begin(), chosen.end());

    // Subclasses per class: none for about one class in ten, two on average.
    static const std::size_t subclassCounts[] = {0, 1, 1, 2, 2, 2, 3, 3, 3, 4};
    std::vector<Class> classes;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        Class cls;
        const std::string stem = groupCode + static_cast<char>('1' + i);
        cls.code = stem + checkDigit(stem);
        cls.action = pairs[chosen[i]].first;
        cls.product = pairs[chosen[i]].second;
        cls.description = cls.action + " de " + cls.product;
        addSubclasses(cls, subclassCounts[random.below(10)], qualifiers(kind), random);
        classes.push_back(cls);
    }
    return classes;
}

std::vector<Group> groupsOf(const std::string &divisionCode, const Topic &topic, Kind kind, Random &random)
{
    const std::size_t products = topic.products.size();
    const std::size_t count = std::max<std::size_t>(1, (products + 1 + random.below(2)) / 2);
    std::vector<Group> groups;
    std::size_t next = 0;
    for (std::size_t i = 0; i < count; ++i) {
        // Near-equal runs of consecutive products, the longer runs first.
        const std::size_t size = products / count + (i < products % count ? 1 : 0);
        const std::vector<std::string> run(topic.products.begin() + static_cast<std::ptrdiff_t>(next),
                                           topic.products.begin() + static_cast<std::ptrdiff_t>(next + size));
        next += size;
        Group group;
        group.code = divisionCode + static_cast<char>('1' + i);
        group.description = topic.actions.front() + " de " + joinedList(run);
        group.classes = classesOf(group.code, run, topic, kind, random);
        groups.push_back(group);
    }
    return groups;
}

// The structure every edition is cut from. Division codes run from 01 upwards with a few gaps,
// spread at random but always ending at or below 99.
std::vector<Section> commonStructure()
{
    Random random(StructureSeed);
    std::size_t topics = 0;
    for (const auto &sector : sectors())
        topics += sector.topics.size();
    std::size_t gapsLeft = 99 - topics;
    std::size_t stepsLeft = topics - 1;

    std::vector<Section> sections;
    int code = 0;
    for (const auto &sector : sectors()) {
        Section section;
        section.code = std::string(1, sector.code);
        section.description = sector.title;
        section.kind = sector.kind;
        for (const auto &topic : sector.topics) {
            if (code == 0) {
                code = 1;
            } else {
                const bool gap = random.below(stepsLeft) < gapsLeft;
                gapsLeft -= gap ? 1 : 0;
                --stepsLeft;
                code += gap ? 2 : 1;
            }
            Division division;
            division.code = twoDigits(code);
            division.description = topic.title;
            division.topic = &topic;
            division.groups = groupsOf(division.code, topic, sector.kind, random);
            section.divisions.push_back(division);
        }
        sections.push_back(section);
    }
    return sections;
}

// Keeps the first group of every division; drops each other one with the given chance.
void dropGroups(std::vector<Section> &sections, unsigned percent, Random &random)
{
    for (auto &section : sections)
        for (auto &division : section.divisions) {
            std::vector<Group> kept = {division.groups.front()};
            for (std::size_t i = 1; i < division.groups.size(); ++i)
                if (!random.chance(percent))
                    kept.push_back(division.groups[i]);
            division.groups = kept;
        }
}

template <typename Visit> void forEachClass(std::vector<Section> &sections, Visit visit)
{
    for (auto &section : sections)
        for (auto &division : section.divisions)
            for (auto &group : division.groups)
                for (auto &cls : group.classes)
                    visit(cls);
}

void shape(Edition &edition, Random &random)
{
    switch (edition.info.shape) {
    case Shape::Complete:
        break;
    case Shape::Subclasses:
        // A subclass edition lists subclasses in its search results, so every class gets one.
        forEachClass(edition.sections, [&](Class &cls) {
            if (cls.subclasses.empty())
                addSubclasses(cls, 1, {}, random);
            if (random.chance(12)) {
                Subclass review;
                review.code = "88";
                review.checkDigit = checkDigit(cls.code + review.code);
                review.description = cls.description + " - atividades em revisão";
                cls.subclasses.push_back(review);
            }
        });
        break;
    case Shape::Reduced:
        dropGroups(edition.sections, 30, random);
        forEachClass(edition.sections, [](Class &cls) {
            if (cls.subclasses.size() > 2)
                cls.subclasses.resize(2);
        });
        break;
    case Shape::Draft:
        dropGroups(edition.sections, 15, random);
        break;
    }
}

// The older edition words some items otherwise: every seventh of each level from the fourth on.
// Draws nothing at random, so that every other row stays as it was.
void olderWordings(Edition &edition)
{
    if (edition.info.shape != Shape::Reduced)
        return;
    std::size_t counts[4] = {};
    const auto reword = [&counts](int level, std::string &description) {
        if (counts[level]++ % 7 == 3)
            description += ", inclusive as atividades auxiliares";
    };
    for (auto &section : edition.sections)
        for (auto &division : section.divisions) {
            reword(0, division.description);
            for (auto &group : division.groups) {
                reword(1, group.description);
                for (auto &cls : group.classes) {
                    reword(2, cls.description);
                    for (auto &sub : cls.subclasses)
                        reword(3, sub.description);
                }
            }
        }
}

} // namespace

const std::vector<EditionInfo> &editionCatalogue()
{
    static const std::vector<EditionInfo> editions = {
        {1, "ZELT_200", "ZELT 2.0", 0, "ZELT 2.0 - Classificação Zeltiana de Atividades Econômicas",
         "2025-11-28 10:15:00", Shape::Complete},
        {2, "ZELT_210", "ZELT 2.1 - Subclasses", 0, "ZELT 2.1 - Subclasses da Classificação Zeltiana",
         "2025-12-12 16:40:00", Shape::Subclasses},
        {3, "ZELT_100", "ZELT 1.0", 1, "ZELT 1.0 - Classificação Zeltiana (congelada)", "2019-07-01 09:00:00",
         Shape::Reduced},
        {4, "ZELT_050", "ZELT 0.5 (rascunho)", 2, "ZELT 0.5 - Rascunho da Classificação Zeltiana",
         "2026-03-15 18:30:00", Shape::Draft},
    };
    return editions;
}

Edition buildEdition(const EditionInfo &info)
{
    Edition edition{info, commonStructure()};
    Random random(StructureSeed + 0x1000u * static_cast<std::uint64_t>(info.code));
    shape(edition, random);
    addNotes(edition, random);
    citeOtherLevels(edition);
    olderWordings(edition);
    return edition;
}

} // namespace makedb
