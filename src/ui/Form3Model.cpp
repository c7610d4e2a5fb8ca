// SPDX-License-Identifier: MIT
#include "Form3Model.h"

#include "app/ActivityFile.h"
#include "app/DataFolder.h"
#include "app/StorePaths.h"

namespace shiftloom {

Form3Model::Form3Model(Form1Model& form1, platform::FileOps& files)
    : m_form1(form1)
    , m_files(files)
{
}

void Form3Model::Form_Load()
{
    const std::string path = storeFile(GetDataFolder(m_form1), kActivityFileName);
    m_items.clear();
    if (FileExists(m_files, path))
        readActivityItems(m_files, path, m_items);
    m_text = activityItem(m_form1.caption(ctl::Label10), m_form1.caption(ctl::Label11));
}

void Form3Model::Combo1_Click(std::string_view item)
{
    m_text = std::string(item);
    m_form1.setCaption(ctl::Label10, itemCode(item));
    m_form1.setCaption(ctl::Label11, itemNumber(item));
    m_hidden = true;
}

} // namespace shiftloom
