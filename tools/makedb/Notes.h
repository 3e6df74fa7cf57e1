#pragma once

#include "Classification.h"

namespace makedb
{

class Random;

// Fills the explanatory notes of every item of the edition: most short, many empty, some only
// blanks or line breaks, some "#", a few NULL and some thousands of characters long.
void addNotes(Edition &edition, Random &random);

// Makes every fifth class whose "does not comprise" note is a list end it with a line citing a
// subclass, a group and a division of the edition by code, as "(0111-2/01)", "(011)", "(01)".
// Draws nothing at random: the other rows stay as they were.
void citeOtherLevels(Edition &edition);

// Explanatory sentences about the topic's activities, at least minLength characters long;
// subject names the item ("nesta classe"). With paragraphs, every third sentence ends a paragraph.
std::string prose(const Topic &topic, Kind kind, const std::string &subject, std::size_t minLength,
                  bool paragraphs, Random &random);

} // namespace makedb
