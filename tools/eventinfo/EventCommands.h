#pragma once

// The inspector's answers about events: categories, their attributes and
// messages, the resolution of one event and the message languages, through
// IEventModel and IEventMessageIds.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/eventinfo/CommandLine.h"
#include "tools/eventinfo/Report.h"
#include "tools/eventinfo/Session.h"

struct CategoryRow {
    int32_t id;
    int32_t eventClass;
    std::wstring description;
};

// `eventClass`: "simple", "conditional" or "all".
std::vector<CategoryRow> GetCategories(Session& session, const std::string& eventClass);
Table CategoryTable(Session& session, const std::vector<CategoryRow>& categories);

// A category id from its number or its key name.
int32_t CategoryIdOf(Session& session, const std::string& text);

Table AttributeTable(bool withCategory);
void AddAttributes(Session& session, int32_t categoryId, Table& table, bool withCategory);

Table MessageTable();
// The category's messages, each name once, with their texts.
void AddCategoryMessages(Session& session, int32_t categoryId, Table& table);
// "messages CATEGORY|SOURCE".
Table Messages(Session& session, const std::string& target);

Report Resolve(Session& session, const CommandLine& line);

Table Languages(Session& session);
