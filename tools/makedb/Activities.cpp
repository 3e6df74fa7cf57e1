#include "Classification.h"

#include "Notes.h"
#include "Random.h"
#include "Text.h"
#include "Vocabulary.h"

#include <algorithm>

namespace makedb
{

namespace
{

constexpr std::uint64_t CountSeed = 0x5A454C5400000002ull;
constexpr std::uint64_t ContentSeed = 0x5A454C5400000003ull;
constexpr std::size_t MaxKeywords = 8;

// The search never reads the synonym table, so the keywords carry it: each keyword's synonyms
// follow the activity's own keywords ("comercio" brings "venda" and "negocio"), which keeps the
// first keyword the one the forced inclusion matches.
void addSynonyms(std::vector<std::string> &keywords)
{
    const std::size_t own = keywords.size();
    for (std::size_t i = 0; i < own; ++i)
        for (const auto &pair : synonyms())
            if (pair.first == keywords[i] &&
                std::find(keywords.begin(), keywords.end(), pair.second) == keywords.end())
                keywords.push_back(pair.second);
}

// Descriptions come in the two shapes of an activity index: "Fabricação de queijos sob encomenda"
// and "Queijos sob encomenda; fabricação"; a few carry a long explanation. The keywords list the
// product's words first (so "+reatores" finds the reactors), then the action's, then the detail's.
void describe(Activity &activity, const Topic &topic, Kind kind, const std::string &qualifier, Random &random)
{
    const Class &cls = *activity.cls;
    const std::string product = random.chance(60) ? cls.product : random.pick(topic.products);
    const std::string action = random.chance(60) ? cls.action : random.pick(topic.actions);
    std::string detail;
    if (!qualifier.empty() && random.chance(40))
        detail = qualifier;
    else if (random.chance(30))
        detail = random.pick(qualifiers(kind));
    const std::string refined = detail.empty() ? product : product + " " + detail;

    const std::size_t form = random.below(100);
    if (form < 30) {
        activity.description = capitalised(refined) + "; " + uncapitalised(action);
    } else {
        activity.description = action + " de " + refined;
        if (form < 34)
            activity.description +=
                ". " + prose(topic, kind, "nesta atividade", 520 + random.below(900), false, random);
    }

    std::vector<std::string> keywords;
    appendKeywords(product, keywords, MaxKeywords);
    appendKeywords(action, keywords, MaxKeywords);
    appendKeywords(detail, keywords, MaxKeywords);
    if (keywords.size() < 2)
        appendKeywords(topic.title, keywords, MaxKeywords);
    addSynonyms(keywords);
    activity.keywords = keywordColumn(keywords);
}

} // namespace

void generateActivities(const Edition &edition, int scale, const std::function<void(const Activity &)> &sink)
{
    // Counts and texts draw from separate generators, so that a larger scale repeats the same
    // per-subclass counts times the scale.
    Random counts(CountSeed + static_cast<std::uint64_t>(edition.info.code));
    Random content(ContentSeed + static_cast<std::uint64_t>(edition.info.code));
    for (const auto &section : edition.sections)
        for (const auto &division : section.divisions)
            for (const auto &group : division.groups)
                for (const auto &cls : group.classes) {
                    Activity activity{&section, &division, &group, &cls, "00", 0, {}, {}};
                    auto fill = [&](const std::string &subclassCode, const std::string &qualifier) {
                        activity.subclassCode = subclassCode;
                        const std::size_t count = (1 + counts.below(21)) * static_cast<std::size_t>(scale);
                        for (std::size_t i = 0; i < count; ++i) {
                            ++activity.sequence;
                            describe(activity, *division.topic, section.kind, qualifier, content);
                            sink(activity);
                        }
                    };
                    if (cls.subclasses.empty())
                        fill("00", std::string());
                    for (const auto &sub : cls.subclasses)
                        fill(sub.code, sub.qualifier);
                }
}

} // namespace makedb
