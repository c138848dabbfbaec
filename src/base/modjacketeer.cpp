#include "base/modjacketeer.h"

ModJacketeer &modJacketeer()
{
    static ModJacketeer state;
    return state;
}

void ModJacketeer::read(const Settings &settings)
{
    qsName = settings.text(Keys::QSName);
    batchCDPath = settings.text(Keys::BatchCDPath);
    batchDVDPath = settings.text(Keys::BatchDVDPath);
    for (int i = 0; i < kGenreCount; ++i)
        batchGenre[static_cast<std::size_t>(i)] = settings.isOn(Keys::batchGenre(i));
    batchReplace = settings.isOn(Keys::BatchReplace);
    batchDVDFolder = settings.number(Keys::BatchDVDFolder);
    batchBrinsell = settings.isOn(Keys::BatchBrinsell);
    batchVantory = settings.isOn(Keys::BatchVantory);
    autoCrop = settings.isOn(Keys::AutoCrop);
    batchReplaceLarger = settings.isOn(Keys::BatchReplaceLarger);
    batchFolderNames = settings.isOn(Keys::BatchFolderNames);
}

void ModJacketeer::write(Settings &settings) const
{
    settings.setText(Keys::QSName, qsName);
    settings.setText(Keys::BatchCDPath, batchCDPath);
    settings.setText(Keys::BatchDVDPath, batchDVDPath);
    for (int i = 0; i < kGenreCount; ++i)
        settings.setOn(Keys::batchGenre(i), batchGenre[static_cast<std::size_t>(i)]);
    settings.setOn(Keys::BatchReplace, batchReplace);
    settings.setNumber(Keys::BatchDVDFolder, batchDVDFolder);
    settings.setOn(Keys::BatchVantory, batchVantory);
    settings.setOn(Keys::BatchBrinsell, batchBrinsell);
    settings.setOn(Keys::AutoCrop, autoCrop);
    settings.setOn(Keys::BatchReplaceLarger, batchReplaceLarger);
    settings.setOn(Keys::BatchFolderNames, batchFolderNames);
}
