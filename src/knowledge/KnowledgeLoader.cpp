#include "knowledge/KnowledgeLoader.h"

#include <exception>
#include <new>
#include <vector>

#include "knowledge/DataAge.h"
#include "knowledge/TextFields.h"
#include "knowledge/UpperCase.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"

namespace vz::knowledge {

namespace {

constexpr int kPanelKnownSpyware = 1;
constexpr int kPanelAllKnown = 2;
constexpr int kPanelLastAction = 3;

// Unpacks every member of an archive into the program's folder. When the
// extraction raises, one line names the archive and the error. The member is
// then removed only if this extraction put it there: a file the user kept
// under that name (a "Special.txt" not overwritten, say) stays as it was.
bool Extract(const LoadEnvironment& env, const std::string& archive, const std::string& member) {
  std::vector<std::string> placed;
  try {
    env.extractor.DecompressFromArchive(env.appFolder + archive, env.appFolder, "", placed);
    return true;
  } catch (const std::exception& error) {
    env.log.WriteShieldLog("Could not extract " + archive + " : " + error.what());
    for (const std::string& path : placed)
      if (platform::NamePart(path) == member) platform::RemoveFile(env.appFolder + member);
    return false;
  }
}

// Room for a list file's lines in joined form: the bytes and, for lines that
// end in a bare LF, one more byte for each of some of them.
std::int64_t JoinedRoom(std::int64_t fileBytes) { return fileBytes + fileBytes / 16 + 2; }

// The joined size of the update list, which is merged into both lists.
std::int64_t UpdateRoom(const LoadEnvironment& env) {
  return JoinedRoom(platform::FileSize(env.appFolder + kUpdateList).value_or(0));
}

// Loads a member's lines into list and deletes the member; false when it is
// missing. The list's text gets room for extraRoom more bytes at once: a
// large list grown later would be copied into fresh memory.
bool TakeMember(const LoadEnvironment& env, const std::string& member, TextList& list, std::int64_t extraRoom) {
  const std::string path = env.appFolder + member;
  if (!platform::FileExists(path)) return false;
  std::string bytes;
  const std::int64_t size = platform::FileSize(path).value_or(0);
  if (size > 0 && extraRoom > 0 && size + extraRoom <= platform::kWholeFileLimit) {
    try {
      bytes.reserve(static_cast<std::size_t>(size + extraRoom));
    } catch (const std::bad_alloc&) {
      // The room is a hint (an archive's directory may claim any size): the
      // list is read without it and grows as it needs.
    }
  }
  if (!platform::ReadWholeFile(path, bytes)) bytes.clear();
  list.AdoptText(std::move(bytes));
  platform::RemoveFile(path);
  return true;
}

void LoadKnownPrograms(KnowledgeBase& base, const LoadEnvironment& env) {
  env.log.WriteShieldLog("Looking for 1 pck...");
  if (!platform::FileExists(env.appFolder + kKnownArchive)) return;
  if (!Extract(env, kKnownArchive, kKnownMember)) return;
  // All known ends up holding the updates and the spyware list as well.
  const std::string unpackedSpyware = env.appFolder + kSpywareMember;
  const std::int64_t spywareBytes = platform::FileExists(unpackedSpyware)
                                        ? platform::FileSize(unpackedSpyware).value_or(0)
                                        : env.extractor.MemberSize(env.appFolder + kSpywareArchive, kSpywareMember);
  if (!TakeMember(env, kKnownMember, base.AllKnownList(), UpdateRoom(env) + JoinedRoom(spywareBytes)))
    env.log.WriteShieldLog("Could not Open File with Process 1 list");
}

void TestSpywareDataAge(KnowledgeBase& base, const LoadEnvironment& env) {
  const std::int64_t fileDate = platform::FileDateOf(env.appFolder + kSpywareArchive);
  const platform::LocalTime now = env.clock.Now();
  const platform::DosDateTime packedNow =
      platform::PackDosDateTime(now.year, now.month, now.day, now.hour, now.minute, now.second);
  if (!IsSpywareDataTooOld(fileDate, packedNow)) return;
  base.SetDataTooOld(true);
  env.view.SetInfoLabel(kInfoLabelTooOld);
}

void LoadSpyware(KnowledgeBase& base, const LoadEnvironment& env) {
  env.log.WriteShieldLog("Looking for Database(2 pck) ...");
  if (!platform::FileExists(env.appFolder + kSpywareArchive)) {
    env.log.WriteShieldLog("Could not Open PCK File with Process 2 list (Spywares)");
    return;
  }
  if (!platform::FileExists(env.appFolder + kSpywareMember) && !Extract(env, kSpywareArchive, kSpywareMember)) return;
  if (!platform::FileExists(env.appFolder + kSpywareMember)) {
    env.log.WriteShieldLog("Could not Open Unpacked File with Process 2 list (Spywares)");
    return;
  }
  TestSpywareDataAge(base, env);
  TakeMember(env, kSpywareMember, base.SpywareList(), UpdateRoom(env));
}

void LoadSpecialLocations(KnowledgeBase& base, const LoadEnvironment& env) {
  env.log.WriteShieldLog("Looking for Proc4.pck...");
  if (!platform::FileExists(env.appFolder + kSpecialArchive)) return;
  // A "Special.txt" left from an interrupted run is not removed first: the
  // extraction asks whether to overwrite it.
  if (!Extract(env, kSpecialArchive, kSpecialMember)) return;
  if (!TakeMember(env, kSpecialMember, base.SpecialList(), 0)) env.log.WriteShieldLog("Could not Open File with Process 4 list");
}

void MergeUpdates(KnowledgeBase& base, const LoadEnvironment& env) {
  const std::string path = env.appFolder + kUpdateList;
  if (!platform::FileExists(path)) return;
  auto bytes = platform::ReadWholeFile(path);
  TextList updates;
  updates.AdoptText(bytes ? std::move(*bytes) : std::string());
  // Room for the updates now and for the spyware list appended at the end, so
  // the large joined text is laid out once.
  base.AllKnownList().Reserve(updates.Text().size() + base.SpywareList().Text().size(),
                              updates.Count() + base.SpywareList().Count());
  base.SpywareList().Reserve(updates.Text().size(), updates.Count());
  base.AllKnownList().AddAll(updates);
  const std::size_t count = updates.Count();
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t percent = i == 0 ? 0 : i * 100 / (count - 1);
    env.view.SetStatusPanel(kPanelLastAction, "Merging With Updates  " + std::to_string(percent) + "%");
    env.events.ProcessPendingEvents();
  }
}

void ShowCounts(const KnowledgeBase& base, const LoadEnvironment& env) {
  const std::string spyware = std::to_string(base.SpywareCount());
  const std::string allKnown = std::to_string(base.AllKnownCount());
  env.view.SetStatusPanel(kPanelKnownSpyware, "Known Spyware : " + spyware);
  env.view.SetStatusPanel(kPanelAllKnown, "All Known : " + allKnown);
  env.log.WriteShieldLog("Known Spyware : " + spyware + " of " + allKnown + " Known");
  env.view.SetStatusPanel(kPanelLastAction, "Ready");
}

}  // namespace

bool IsSpywareMarked(std::string_view line) {
  if (TrimBlanks(line).size() <= 1) return false;
  const std::string_view head = TrimBlanks(line.substr(0, 2));
  return head.size() == 1 && UpperChar(head[0]) == 'X';
}

std::size_t SeparateSpyware(TextList& allKnown, TextList& spyware, std::size_t preMergeCount) {
  if (allKnown.Empty()) return 0;
  // With nothing unpacked the walk stops at the first line instead of before it.
  const std::size_t lowest = preMergeCount == 0 ? 0 : preMergeCount - 1;
  std::vector<std::size_t> moved;
  for (std::size_t i = allKnown.Count(); i-- > lowest;) {
    if (!IsSpywareMarked(allKnown[i])) continue;
    spyware.Add(allKnown[i]);
    moved.push_back(i);
  }
  const std::size_t count = moved.size();
  allKnown.RemoveAt(std::move(moved));
  return count;
}

void LoadKnowledgeBase(KnowledgeBase& base, const LoadEnvironment& env) {
  LoadKnownPrograms(base, env);
  LoadSpyware(base, env);
  LoadSpecialLocations(base, env);

  env.view.SetStatusPanel(kPanelLastAction, "Initilizing data 0%");
  env.log.WriteShieldLog("Initilizing data ");
  env.events.ProcessPendingEvents();

  env.view.SetStatusPanel(kPanelLastAction, "Merging With received Updates");
  env.log.WriteShieldLog("Merging With received Updates");
  env.events.ProcessPendingEvents();

  const std::size_t preMergeCount = base.AllKnownList().Count();
  MergeUpdates(base, env);

  env.log.WriteShieldLog("Preparing Spyware Detection  ");
  SeparateSpyware(base.AllKnownList(), base.SpywareList(), preMergeCount);
  base.AllKnownList().Reserve(base.SpywareList().Text().size(), base.SpywareList().Count());
  base.AllKnownList().AddAll(base.SpywareList());
  ShowCounts(base, env);
}

void WriteDataAgeWarning(log::ShieldLog& log) {
  log.WriteShieldLog("The spyware Data files is to old !! ");
  log.WriteShieldLog("  Please update the Spyware data files to get the best protection from Spywares");
  log.WriteShieldLog("The spyware Data files is to old !! Please update");
}

}  // namespace vz::knowledge
