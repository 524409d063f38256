#ifndef VN_TESTING_XMLNUMBERINGMODEL_H
#define VN_TESTING_XMLNUMBERINGMODEL_H

// A plain model of the names under which the XML reader files what it reads, built with standard
// containers straight from the rules, and a record that asks the real reader for names. Shared by
// the reader's tests and its differential fuzz target.
//
// The rules: a node is one object block. Starting an element other than "object" makes its name
// the node's current name and empties the node's text; character data is added to the text. A
// closing "object" stores the block in its parent's children under the parent's current name; a
// closing other element stores the text under the current name, then resets the name to
// "undef_obj". A name already taken in that table (children and texts apart) becomes the name
// followed by 1, 2, ..., the first number not taken.

#include <expat.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testing/TestRecords.h"

struct ModelNode {
    std::map<std::string, std::string> texts;
    std::map<std::string, std::unique_ptr<ModelNode>> children;
    std::string name = "undef_obj";
    std::string text;

    template <class Map>
    static std::string freeKey(const Map& map, const std::string& name) {
        if (!map.count(name)) return name;
        for (int n = 1;; ++n) {
            if (!map.count(name + std::to_string(n))) return name + std::to_string(n);
        }
    }
    // The id text of a child, as TestItem reads it; -1 when it has none.
    int id() const { return texts.count("id") ? VnString(texts.at("id").c_str()).integervalue() : -1; }
};

// Parses a whole text with the rules above; root is null when the text is not well-formed.
class ModelTree {
public:
    std::unique_ptr<ModelNode> root;

    explicit ModelTree(const std::string& text) {
        std::vector<std::unique_ptr<ModelNode>> stack;
        stack.push_back(std::make_unique<ModelNode>());
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, &stack);
        XML_SetElementHandler(parser, start, end);
        XML_SetCharacterDataHandler(parser, data);
        if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK)
            root = std::move(stack.front());
        XML_ParserFree(parser);
    }

    // The node of the document's object block, or null.
    const ModelNode* top() const {
        if (!root || !root->children.count("undef_obj")) return nullptr;
        return root->children.at("undef_obj").get();
    }

private:
    using Stack = std::vector<std::unique_ptr<ModelNode>>;

    static void start(void* user, const char* name, const char**) {
        Stack& stack = *static_cast<Stack*>(user);
        if (std::strcmp(name, "object") == 0) {
            stack.push_back(std::make_unique<ModelNode>());
        } else {
            stack.back()->name = name;
            stack.back()->text.clear();
        }
    }
    static void data(void* user, const char* text, int length) {
        static_cast<Stack*>(user)->back()->text.append(text, static_cast<std::size_t>(length));
    }
    static void end(void* user, const char* name) {
        Stack& stack = *static_cast<Stack*>(user);
        ModelNode& top = *stack.back();
        if (std::strcmp(name, "object") != 0) {
            top.texts[ModelNode::freeKey(top.texts, top.name)] = top.text;
            top.text.clear();
            top.name = "undef_obj";
        } else if (stack.size() > 1) {
            std::unique_ptr<ModelNode> node = std::move(stack.back());
            stack.pop_back();
            ModelNode& parent = *stack.back();
            parent.children[ModelNode::freeKey(parent.children, parent.name)] = std::move(node);
        }
    }
};

// A record that asks the reader for each of a list of names, both as a text and as a child
// block, and notes what it found: the text, or the id of the child.
class NumberingProbe : public VnPack {
public:
    std::vector<std::string> names;
    std::map<std::string, std::string> texts;
    std::map<std::string, int> children;

    int type() override { return TEST_TYPE_ITEM; }
    void encode() override {}
    void decode() override {}
    void encodeXML() override {}
    void decodeXML() override {
        for (const std::string& name : names) {
            const VnString key(name.data(), static_cast<int>(name.size()));
            VnString text;
            if (restoreXML(key, text))
                texts[name].assign(text.value(), static_cast<std::size_t>(text.length()));
            TestItem child;
            if (restoreXML(key, child)) children[name] = child.id;
        }
    }

    // What the model answers for the same names.
    void expectFrom(const ModelNode& node, std::map<std::string, std::string>& modelTexts,
                    std::map<std::string, int>& modelChildren) const {
        for (const std::string& name : names) {
            if (node.texts.count(name)) modelTexts[name] = node.texts.at(name);
            if (node.children.count(name)) modelChildren[name] = node.children.at(name)->id();
        }
    }
};

#endif  // VN_TESTING_XMLNUMBERINGMODEL_H
