#pragma once
// The help document is an HTML file whose topics are named anchors
// <a name="N">, N the context number. A phrase's explanation is the topic
// whose number comes from its sound file's name: the name without its
// extension and without underscores, read as a number (12_07.wav is 1207).
// Headless, so that the content tool can check a pack the way the tutor
// will look things up.
#include <QString>

#include <cstdint>
#include <set>

// The topic number of a phrase sound file path ("/" or "\" separated): the
// value of the leading number of its name with the extension and every "_"
// removed; 0 when the name does not begin with a number.
int32_t HelpTopicOfWaveFile(const QString& waveFile);

// Whether the document's source holds an anchor named for this context
// number. Looked up in the source, not the rendered text: an anchor without
// text of its own leaves no trace once rendered.
bool HelpDocumentHasTopic(const QString& html, int32_t context);

// The context numbers of every topic anchor of the document (as
// HelpDocumentHasTopic finds them), gathered in one pass: checks that look
// up a topic for each of thousands of phrases ask this set instead.
std::set<int32_t> HelpDocumentTopics(const QString& html);

// The first text after the topic's anchor, blanks folded (its heading); empty
// when the topic is not there or nothing follows it.
QString HelpTopicHeading(const QString& html, int32_t context);
