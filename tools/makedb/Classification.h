#pragma once

#include "Vocabulary.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace makedb
{

// A memo column: NULL or a text (possibly empty, blank, "#" or thousands of characters long).
using Note = std::optional<std::string>;

struct Notes {
    Note comprises;
    Note alsoComprises;
    Note excludes;
    Note remarks;
};

struct Subclass {
    std::string code; // two digits, unique within its class; 88 holds activities under review
    std::string checkDigit;
    std::string description;
    std::string qualifier; // empty when the subclass repeats its class
    Notes notes;
};

struct Class {
    std::string code; // group code, a digit and a check digit
    std::string description;
    std::string action;
    std::string product;
    std::vector<Subclass> subclasses;
    Notes notes;
};

struct Group {
    std::string code; // division code and a digit
    std::string description;
    std::vector<Class> classes;
    Notes notes;
};

struct Division {
    std::string code; // two digits, unique within the edition
    std::string description;
    const Topic *topic = nullptr;
    std::vector<Group> groups;
    Notes notes;
};

struct Section {
    std::string code; // one letter
    std::string description;
    Kind kind = Kind::Service;
    Note explanatoryNote;
    std::vector<Division> divisions;
    Notes notes;
};

// How an edition is cut from the common structure.
enum class Shape {
    Complete,   // every group; some classes without subclasses
    Subclasses, // every class subdivided, some with a subclass 88
    Reduced,    // an older, smaller edition: groups and subclasses dropped
    Draft,      // a work in progress: some groups missing
};

struct EditionInfo {
    int code;
    std::string table;
    std::string description;
    int status;
    std::string pageTitle;
    std::string updated; // "yyyy-MM-dd HH:mm:ss"
    Shape shape;
};

struct Edition {
    EditionInfo info;
    std::vector<Section> sections;
};

// The four editions of the sample, in catalogue order.
const std::vector<EditionInfo> &editionCatalogue();

// The edition's hierarchy with its notes; the same info always gives the same edition.
Edition buildEdition(const EditionInfo &info);

// One row of an edition's activity table. An activity filed under a class that has no subclasses
// carries the subclass code "00", which no subclass uses.
struct Activity {
    const Section *section;
    const Division *division;
    const Group *group;
    const Class *cls;
    std::string subclassCode;
    int sequence; // running number within the class, from 1
    std::string description;
    std::string keywords; // "|kw|kw|...|"
};

// Hands every activity of the edition to sink, in code order: about 15,000 times scale.
void generateActivities(const Edition &edition, int scale, const std::function<void(const Activity &)> &sink);

} // namespace makedb
