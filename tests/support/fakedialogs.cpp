#include "support/fakedialogs.h"

Dialogs::Button FakeDialogs::messageBox(const QString &caption, const QString &text,
                                        const QList<Button> &buttons, Icon icon,
                                        Button defaultButton)
{
    messages.append({caption, text, buttons, icon, defaultButton});
    return answers.isEmpty() ? defaultButton : answers.dequeue();
}

std::optional<QString> FakeDialogs::openFile(const FileRequest &request)
{
    fileDialogs.append({false, request});
    std::optional<QString> answer = fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
    if (answer && request.chosenFilterIndex)
        *request.chosenFilterIndex =
            chosenFilters.isEmpty() ? request.filterIndex : chosenFilters.dequeue();
    return answer;
}

std::optional<QString> FakeDialogs::saveFile(const FileRequest &request)
{
    fileDialogs.append({true, request});
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

QStringList FakeDialogs::messageTexts() const
{
    QStringList texts;
    for (const Message &m : messages)
        texts << m.text;
    return texts;
}

void FakeDialogs::clear()
{
    answers.clear();
    fileAnswers.clear();
    chosenFilters.clear();
    messages.clear();
    fileDialogs.clear();
}
