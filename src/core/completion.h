#pragma once

#include "core/suggestions.h"

#include <QByteArray>

#include <memory>
#include <vector>

class DocumentWords;
class LearnedWords;

// Membership of the dictionary's words, for telling the document's and the
// learned words the dictionary lacks: the word indices in an open-addressing
// table of their hashes.
class WordSet
{
public:
    explicit WordSet(const WordList &words);
    // The word's index in the list (its first occurrence), or -1.
    qsizetype indexOf(QByteArrayView word) const;
    bool contains(QByteArrayView word) const { return indexOf(word) >= 0; }
    // Different for every set ever made, so that answers cached for one are never taken for another's.
    quint64 id() const { return m_id; }

private:
    quint64 m_id;
    WordList m_words;
    std::vector<quint32> m_slots; // index + 1; 0 is empty
    size_t m_mask = 0;
};

// What the suggestion list shows: words used at least twice ahead of the
// dictionary's matches, the matches in dictionary order (minus those already
// shown), then the words the dictionary lacks: learned ones, then the
// document's. Rows are handed out without copying the dictionary's words.
class SuggestionItems
{
public:
    SuggestionItems() = default;
    explicit SuggestionItems(Matches dictionary) : m_dictionary(std::move(dictionary)) {}

    qsizetype size() const { return m_front.size() + dictionaryRows() + m_back.size(); }
    bool isEmpty() const { return size() == 0; }
    QByteArrayView word(qsizetype row) const;
    const Matches &dictionary() const { return m_dictionary; }

private:
    friend SuggestionItems mergeSuggestions(Matches, QByteArrayView, QByteArrayView, const WordSet *,
                                            const LearnedWords *, const DocumentWords *);
    qsizetype dictionaryRows() const { return m_dictionary.size() - qsizetype(m_skip.size()); }

    WordList m_front;
    Matches m_dictionary;
    std::vector<qsizetype> m_skip; // sorted rows of m_dictionary shown in m_front
    WordList m_back;               // one buffer for all, however many
};

// The list for a prefix (lower-cased Windows-1251): the dictionary's matches
// as they are, extended by the learned words (when `learned` is given) and
// the document's words (when `document` is given). `typed` is the whole word
// at the caret, which the document's words leave out when it occurs once.
SuggestionItems mergeSuggestions(Matches dictionary, QByteArrayView prefix, QByteArrayView typed,
                                 const WordSet *inDictionary, const LearnedWords *learned,
                                 const DocumentWords *document);
