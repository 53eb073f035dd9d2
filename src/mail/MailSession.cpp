#include "MailSession.h"

#include "WriteForm.h"

void MailSession::compose(QWidget* parent, const ComposeRequest& request)
{
    WriteForm form(m_storage, request, parent, nullptr, this);
    form.exec();
}

MailComposer MailSession::composer()
{
    return [this](QWidget* parent, const QString& address) {
        ComposeRequest request;
        request.recipient = address;
        compose(parent, request);
    };
}
