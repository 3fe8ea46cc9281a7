#include "Program.h"

#include "Form1.h"
#include "Form2.h"

namespace qinglan {

Program::Program(const Config& config, const Environment& environment)
    : m_form1(std::make_unique<Form1>(config, environment)) {
    m_form2 = std::make_unique<Form2>(config, environment, m_form1.get(), [this] {
        if (m_form1->Open())
            return true;
        emit StartFailed();
        return false;
    });
    m_form1->SetDownloadWindow(m_form2.get());
}

Program::~Program() = default;

void Program::Start() { m_form2->ShowCentred(); }

} // namespace qinglan
