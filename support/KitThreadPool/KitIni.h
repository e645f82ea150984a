// An INI document that loads from and saves to any stream as well as a file. The client keeps
// the server's line list in one, loaded from the reply text: sections are areas, keys are line
// names. Text without a byte-order mark is in the system's ANSI code page, as the server's
// replies are; saved text is ANSI with CR LF line ends.
//
// Loading and saving report failure as false and never raise: a failed load may leave the
// document partly replaced.
#pragma once

#include "framework/IniFiles.h"
#include "framework/Streams.h"

class TKitStreamIniFile : public TMemIniFile {
    CLASS_INFO(TKitStreamIniFile, TMemIniFile)
public:
    // Loads the named file when it exists; an empty name gives an empty document that is never
    // written anywhere.
    explicit TKitStreamIniFile(const UnicodeString& fileName);
    // Writes the document back to its file (UpdateFile).
    ~TKitStreamIniFile() override;

    // Saves to the file the document was created for, only when that file exists.
    void UpdateFile() override;
    // Replaces the document with the text from the stream's position to its end.
    virtual bool LoadFromStream(TStream* stream);
    // Writes the document at the stream's position.
    virtual bool SaveToStream(TStream* stream);

    // Opens the file for reading while others may read but not write it.
    bool LoadFromFile(const UnicodeString& fileName);
    // Creates the file, or truncates an existing one.
    bool SaveToFile(const UnicodeString& fileName);

private:
    UnicodeString FFileName;
};
