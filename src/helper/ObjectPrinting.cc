// The printed forms of design blocks, processes, data objects and ports used by the inspection
// commands. Every line is indented by the caller's count and ends with a newline.
#include "tavrin/TclHelper.h"

namespace Tavrin {

namespace {

bool isPortClass(int classId) { return *TclHelper::printPortType(classId) != '\0'; }

int classIdOf(const IDataObj* object) {
    const IObjectClass* objectClass = object->getObjectClass();
    return objectClass ? objectClass->getClassId() : 0;
}

// The text before the name of an object line, chosen by the object's class.
std::string classPrefix(int classId) {
    if (isPortClass(classId))
        return std::string("Port(") + TclHelper::printPortType(classId) + "): ";
    switch (classId) {
    case SignalClass: return "Signal: ";
    case VariableClass: return "Variable: ";
    case ConstantClass: return "Constant: ";
    case ParameterClass: return "Parameter: ";
    case GenericClass: return "Generic: ";
    case EventClass: return "Event: ";
    default: return "";
    }
}

void writePathAndLocation(std::ostream& out, const IObject* object, int indent,
                          const IReader* reader) {
    TclHelper::writeIndent(out, indent);
    out << "Path: {" << object->getPath() << "}\n";
    const StringBase file = reader->getFileName(object);
    if (!file.empty()) {
        TclHelper::writeIndent(out, indent);
        out << "Location: {File \"" << file << "\" Line " << reader->getLineNumber(object) << "}\n";
    }
}

void writeBlockLines(std::ostream& out, const IBlock* block, int indent, const IReader* reader,
                     bool verbose) {
    TclHelper::writeIndent(out, indent);
    out << TclHelper::getBlockKindName(block->getBlockKind()) << ": {" << block->getName()
        << "}\n";
    if (reader && verbose)
        writePathAndLocation(out, block, indent, reader);
}

} // namespace

void TclHelper::printProcess(std::ostream& out, const IBlock* block, int indent,
                             const IReader* reader, bool verbose) {
    if (block)
        writeBlockLines(out, block, indent, reader, verbose);
}

void TclHelper::printBlock(std::ostream& out, const IBlock* block, int indent,
                           const IReader* reader, bool verbose) {
    if (!block)
        return;
    if (block->isProcess()) {
        printProcess(out, block, indent, reader, verbose);
        return;
    }
    writeBlockLines(out, block, indent, reader, verbose);
    if (!reader || !verbose)
        return;

    // Only instances have a place where they are instantiated.
    const int kind = block->getBlockKind();
    if (kind != VhdlInstance && kind != VerilogInstance)
        return;
    const StringBase file = reader->getInstantiationFileName(block);
    if (file.empty())
        return;
    writeIndent(out, indent);
    out << "Instantiation: {File \"" << file << "\" Line "
        << reader->getInstantiationLineNumber(block) << "}\n";
}

void TclHelper::printObject(std::ostream& out, const IDataObj* object, const StringBase& value,
                            int indent, const IReader* reader, bool verbose) {
    if (!object)
        return;
    StringBase name;
    object->getDisplayName(name);
    writeIndent(out, indent);
    out << classPrefix(classIdOf(object)) << "{" << name << "}";
    if (!value.empty())
        out << " : " << value;
    out << "\n";
    if (reader && verbose)
        writePathAndLocation(out, object, indent, reader);
}

bool TclHelper::printPort(std::ostream& out, const IDataObj* object, int indent) {
    if (!object)
        return false;
    const IType* type = object->getType();
    if ((type && type->isInstanceOf(HiddenTypeClass)) || !isPortClass(classIdOf(object)))
        return false;
    printObject(out, object, StringBase(), indent, nullptr, false);
    return true;
}

void TclHelper::printAllChildren(std::ostream& out, const IBlock* block, int indent) {
    if (!block)
        return;
    printBlock(out, block, indent, nullptr, false);
    const int count = block->getChildCount();
    for (int i = 0; i < count; ++i)
        printAllChildren(out, block->getChild(i), indent + 4);
}

} // namespace Tavrin
