// zvk: packs files into a .ZVK package and unpacks such packages, from the
// command line; the same jobs as the window, with the log on standard output.
#include <csignal>

#include <CLI/CLI.hpp>

#include "cli/commands.h"

namespace {

constexpr const char* kVersion = "0.1.0";

}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a write should fail and be reported, not kill us.
  std::signal(SIGXFSZ, SIG_IGN);

  CLI::App app{"Packs files into one .ZVK package and unpacks such packages.", "zvk"};
  app.set_version_flag("--version", kVersion);
  app.require_subcommand(1);

  std::string package;
  std::vector<std::string> files;
  auto* pack = app.add_subcommand("pack", "Pack FILEs, in the order given, into PACKAGE (\".ZVK\" is appended).");
  pack->add_option("PACKAGE", package, "the package to write")->required();
  pack->add_option("FILE", files, "the files to pack")->required();

  std::string folder = ".";
  std::vector<std::string> packages;
  auto* unpack = app.add_subcommand("unpack", "Write every member of every PACKAGE into one folder.");
  unpack->add_option("-C,--directory", folder, "the folder to unpack into (default: the current folder)");
  unpack->add_option("PACKAGE", packages, "the packages to unpack")->required();

  auto* list = app.add_subcommand("list", "Show the size and name of each member of PACKAGE.");
  list->add_option("PACKAGE", package, "the package to show")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "zvk: %s\n", e.what());
    return qv::cli::kExitUsage;
  }

  if (pack->parsed()) return qv::cli::pack_command(package, files);
  if (unpack->parsed()) return qv::cli::unpack_command(folder, packages);
  return qv::cli::list_command(package);
}
