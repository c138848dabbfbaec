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
        batch.genres[static_cast<std::size_t>(i)] = settings.isOn(Keys::batchGenre(i));
    batch.replace = settings.isOn(Keys::BatchReplace);
    batchDVDFolder = settings.number(Keys::BatchDVDFolder);
    batch.brinsell = settings.isOn(Keys::BatchBrinsell);
    batch.vantory = settings.isOn(Keys::BatchVantory);
    batch.autoCrop = settings.isOn(Keys::AutoCrop);
    batch.replaceLarger = settings.isOn(Keys::BatchReplaceLarger);
    batch.folderNames = settings.isOn(Keys::BatchFolderNames);
}

void ModJacketeer::write(Settings &settings) const
{
    settings.setText(Keys::QSName, qsName);
    settings.setText(Keys::BatchCDPath, batchCDPath);
    settings.setText(Keys::BatchDVDPath, batchDVDPath);
    for (int i = 0; i < kGenreCount; ++i)
        settings.setOn(Keys::batchGenre(i), batch.genres[static_cast<std::size_t>(i)]);
    settings.setOn(Keys::BatchReplace, batch.replace);
    settings.setNumber(Keys::BatchDVDFolder, batchDVDFolder);
    settings.setOn(Keys::BatchVantory, batch.vantory);
    settings.setOn(Keys::BatchBrinsell, batch.brinsell);
    settings.setOn(Keys::AutoCrop, batch.autoCrop);
    settings.setOn(Keys::BatchReplaceLarger, batch.replaceLarger);
    settings.setOn(Keys::BatchFolderNames, batch.folderNames);
}
