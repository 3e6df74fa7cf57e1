#include "Notes.h"

#include "Random.h"
#include "Text.h"

namespace makedb
{

namespace
{

std::string activityPhrase(const Topic &topic, Kind kind, Random &random)
{
    std::string phrase = uncapitalised(random.pick(topic.actions)) + " de " + random.pick(topic.products);
    if (random.chance(40))
        phrase += " " + random.pick(qualifiers(kind));
    return phrase;
}

std::string sentence(const Topic &topic, Kind kind, const std::string &subject, Random &random)
{
    const std::string phrase = activityPhrase(topic, kind, random);
    switch (random.below(6)) {
    case 0:
        return "Enquadram-se " + subject + " as unidades cuja atividade principal é " + phrase + ".";
    case 1:
        return "Quando a unidade exerce também " + phrase +
               ", prevalece a atividade que gera a maior parte do valor adicionado.";
    case 2:
        return "Permanecem " + subject + " as unidades que realizam " + phrase + " por conta de terceiros.";
    case 3:
        return "Consideram-se ainda as unidades auxiliares que executam " + phrase + ".";
    case 4:
        return "Para efeito desta classificação, " + phrase +
               " inclui as etapas de embalagem, armazenagem e expedição do próprio produto.";
    default:
        return "Não se confunde com " + phrase + ", que figura em outra posição da estrutura.";
    }
}

// Where an item stands, for the wording of its notes.
struct Context {
    std::string level;   // "classe"
    std::string subject; // "nesta classe"
    std::vector<const Topic *> topics;
    Kind kind;
    std::vector<std::string> parts; // what it comprises: its children, or activities for a leaf
};

// One entry of a class list used by the "does not comprise" notes.
struct Reference {
    std::string description;
    std::string code; // display form XXXX-X
};

std::string listed(const std::string &heading, const std::vector<std::string> &items)
{
    std::string text = heading;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += "\r\n- " + items[i] + (i + 1 == items.size() ? "." : ";");
    return text;
}

enum class Column { Comprises, AlsoComprises, Excludes, Remarks };

std::string normalNote(Column column, const Context &context, const std::vector<Reference> &references,
                       Random &random)
{
    const Topic &topic = *context.topics[random.below(context.topics.size())];
    const std::size_t lines = 1 + random.below(4);
    std::vector<std::string> items;
    switch (column) {
    case Column::Comprises: {
        const std::size_t start = random.below(context.parts.size());
        for (std::size_t i = 0; i < lines && i < context.parts.size(); ++i)
            items.push_back(uncapitalised(context.parts[(start + i) % context.parts.size()]));
        return listed("Esta " + context.level + " compreende:", items);
    }
    case Column::AlsoComprises:
        for (std::size_t i = 0; i < lines; ++i)
            items.push_back(activityPhrase(topic, context.kind, random));
        return listed("Esta " + context.level + " compreende também:", items);
    case Column::Excludes:
        for (std::size_t i = 0; i < lines; ++i) {
            const Reference &other = references[random.below(references.size())];
            items.push_back(uncapitalised(other.description) + " (" + other.code + ")");
        }
        return listed("Esta " + context.level + " não compreende:", items);
    case Column::Remarks:
        break;
    }
    return prose(topic, context.kind, context.subject, 1, false, random);
}

Note drawNote(Column column, const Context &context, const std::vector<Reference> &references, Random &random)
{
    static const std::vector<std::string> lineBreaks = {"\r\n", "\r\n\r\n", " \r\n ", "\r\n  \r\n"};
    const std::size_t draw = random.below(100);
    if (draw < 2)
        return std::nullopt;
    if (draw < 28)
        return std::string();
    if (draw < 31)
        return std::string(1 + random.below(5), ' ');
    if (draw < 34)
        return random.pick(lineBreaks);
    if (draw < 37)
        return std::string("#");
    if (draw < 43) {
        const Topic &topic = *context.topics[random.below(context.topics.size())];
        return normalNote(column, context, references, random) + "\r\n\r\n" +
               prose(topic, context.kind, context.subject, 2000 + random.below(4000), true, random);
    }
    return normalNote(column, context, references, random);
}

Notes drawNotes(const Context &context, const std::vector<Reference> &references, Random &random)
{
    Notes notes;
    notes.comprises = drawNote(Column::Comprises, context, references, random);
    notes.alsoComprises = drawNote(Column::AlsoComprises, context, references, random);
    notes.excludes = drawNote(Column::Excludes, context, references, random);
    notes.remarks = drawNote(Column::Remarks, context, references, random);
    return notes;
}

Note explanatoryNote(const Section &section, const Context &context, Random &random)
{
    const std::size_t draw = random.below(100);
    if (draw < 4)
        return std::string();
    if (draw < 6)
        return std::string("#");
    if (draw < 7)
        return std::nullopt;
    std::vector<std::string> divisions;
    for (const auto &division : section.divisions)
        divisions.push_back(uncapitalised(division.description));
    std::string text =
        listed("Esta seção reúne as unidades que se dedicam às seguintes atividades:", divisions);
    const std::size_t length = draw < 50 ? 1500 + random.below(5000) : 200 + random.below(800);
    const Topic &topic = *context.topics[random.below(context.topics.size())];
    return text + "\r\n\r\n" + prose(topic, context.kind, context.subject, length, true, random);
}

std::string classCodeDisplay(const std::string &code)
{
    return code.substr(0, 4) + "-" + code.substr(4);
}

std::vector<std::string> leafParts(const Topic &topic, Kind kind, Random &random)
{
    std::vector<std::string> parts;
    for (int i = 0; i < 4; ++i)
        parts.push_back(activityPhrase(topic, kind, random));
    return parts;
}

} // namespace

std::string prose(const Topic &topic, Kind kind, const std::string &subject, std::size_t minLength,
                  bool paragraphs, Random &random)
{
    std::string text;
    int sentences = 0;
    while (text.size() < minLength) {
        if (sentences > 0)
            text += paragraphs && sentences % 3 == 0 ? "\r\n\r\n" : " ";
        text += sentence(topic, kind, subject, random);
        ++sentences;
    }
    return text;
}

void addNotes(Edition &edition, Random &random)
{
    std::vector<Reference> references;
    for (const auto &section : edition.sections)
        for (const auto &division : section.divisions)
            for (const auto &group : division.groups)
                for (const auto &cls : group.classes)
                    references.push_back({cls.description, classCodeDisplay(cls.code)});

    for (auto &section : edition.sections) {
        Context sectionContext{"seção", "nesta seção", {}, section.kind, {}};
        for (const auto &division : section.divisions) {
            sectionContext.topics.push_back(division.topic);
            sectionContext.parts.push_back(division.description);
        }
        section.explanatoryNote = explanatoryNote(section, sectionContext, random);
        section.notes = drawNotes(sectionContext, references, random);

        for (auto &division : section.divisions) {
            Context divisionContext{"divisão", "nesta divisão", {division.topic}, section.kind, {}};
            for (const auto &group : division.groups)
                divisionContext.parts.push_back(group.description);
            division.notes = drawNotes(divisionContext, references, random);

            for (auto &group : division.groups) {
                Context groupContext{"grupo", "neste grupo", {division.topic}, section.kind, {}};
                for (const auto &cls : group.classes)
                    groupContext.parts.push_back(cls.description);
                group.notes = drawNotes(groupContext, references, random);

                for (auto &cls : group.classes) {
                    Context classContext{"classe", "nesta classe", {division.topic}, section.kind, {}};
                    for (const auto &sub : cls.subclasses)
                        classContext.parts.push_back(sub.description);
                    if (classContext.parts.empty())
                        classContext.parts = leafParts(*division.topic, section.kind, random);
                    cls.notes = drawNotes(classContext, references, random);

                    for (auto &sub : cls.subclasses) {
                        const Context subContext{"subclasse",
                                                 "nesta subclasse",
                                                 {division.topic},
                                                 section.kind,
                                                 leafParts(*division.topic, section.kind, random)};
                        sub.notes = drawNotes(subContext, references, random);
                    }
                }
            }
        }
    }
}

void citeOtherLevels(Edition &edition)
{
    std::vector<Reference> subclasses;
    std::vector<Reference> groups;
    std::vector<Reference> divisions;
    for (const auto &section : edition.sections)
        for (const auto &division : section.divisions) {
            divisions.push_back({division.description, division.code});
            for (const auto &group : division.groups) {
                groups.push_back({group.description, group.code});
                for (const auto &cls : group.classes)
                    for (const auto &sub : cls.subclasses)
                        subclasses.push_back({sub.description, classCodeDisplay(cls.code) + "/" + sub.code});
            }
        }
    std::size_t index = 0;
    for (auto &section : edition.sections)
        for (auto &division : section.divisions)
            for (auto &group : division.groups)
                for (auto &cls : group.classes) {
                    Note &excludes = cls.notes.excludes;
                    if (index++ % 5 != 2 || !excludes ||
                        excludes->rfind("Esta classe não compreende:", 0) != 0)
                        continue;
                    // Items from elsewhere in the structure, spread by the class's place.
                    const Reference &sub = subclasses[(index * 7) % subclasses.size()];
                    const Reference &other = groups[(index * 3) % groups.size()];
                    const Reference &far = divisions[(index / 2) % divisions.size()];
                    *excludes += "\r\nVer também: " + uncapitalised(sub.description) + " (" + sub.code +
                                 "); " + uncapitalised(other.description) + " (" + other.code + "); " +
                                 uncapitalised(far.description) + " (" + far.code + ").";
                }
}

} // namespace makedb
