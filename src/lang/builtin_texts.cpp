#include "lang/builtin_texts.h"

namespace telvo {

TBilingualText MissingLangFileText(const std::string& fileName) {
    return {
        "Can't work with no " + fileName + " file!\r\nPlease reinstall the program.",
        {"Работа без файла ", fileName, " невозможна!\r\nПожалуйста, переустановите программу."}};
}

TBilingualText FaultyLangFileText(const std::string& fileName) {
    return {fileName + " file contains errors.\r\nPlease reinstall the program.",
            {"Файл ", fileName, " содержит ошибки!\r\nПожалуйста, переустановите программу."}};
}

TBilingualText LangFileErrorText(const std::string& fileName) {
    return {"Can't handle the language support file " + fileName,
            {"Не удаётся работать с файлом языковой поддержки ", fileName, ""}};
}

}  // namespace telvo
