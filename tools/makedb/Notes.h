#pragma once

#include "Classification.h"

namespace makedb
{

class Random;

// Fills the explanatory notes of every item of the edition: most short, many empty, some only
// blanks or line breaks, some "#", a few NULL and some thousands of characters long.
void addNotes(Edition &edition, Random &random);

// Explanatory sentences about the topic's activities, at least minLength characters long;
// subject names the item ("nesta classe"). With paragraphs, every third sentence ends a paragraph.
std::string prose(const Topic &topic, Kind kind, const std::string &subject, std::size_t minLength,
                  bool paragraphs, Random &random);

} // namespace makedb
