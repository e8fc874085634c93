// zvk: packs files into a .ZVK package and unpacks such packages, from the
// command line; the same jobs as the window, with the log on standard output.
#include <csignal>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"

namespace {

constexpr const char* kVersion = "0.1.0";

using qv::text::NameEncoding;

NameEncoding encoding_named(const std::string& name) {
  if (name == "raw") return NameEncoding::raw;
  if (name == "gbk") return NameEncoding::gbk;
  return NameEncoding::automatic;
}

// The options that every job command shares, as given on the command line.
struct JobArguments {
  std::string names;
  bool quiet = false;
  bool no_progress = false;

  qv::cli::JobOptions options() const { return {encoding_named(names), quiet, !no_progress}; }
};

void add_names_option(CLI::App& command, std::string& names, const std::vector<std::string>& choices,
                      const std::string& help) {
  command.add_option("--names", names, help)->check(CLI::IsMember(choices))->capture_default_str();
}

void add_job_options(CLI::App& command, JobArguments& arguments) {
  command.add_flag("-q,--quiet", arguments.quiet, "print no log");
  command.add_flag("--no-progress", arguments.no_progress, "show no progress line on a terminal");
}

}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a write should fail and be reported, not kill us.
  std::signal(SIGXFSZ, SIG_IGN);

  CLI::App app{"Packs files into one .ZVK package and unpacks such packages.", "zvk"};
  app.set_version_flag("--version", kVersion);
  app.require_subcommand(1);

  const std::vector<std::string> reading = {"auto", "raw", "gbk"};
  const std::string names_help = "how stored names become file names: auto, raw or gbk";

  std::string package;
  std::vector<std::string> files;
  JobArguments pack_arguments{.names = "raw"};
  auto* pack = app.add_subcommand("pack", "Pack FILEs, in the order given, into PACKAGE (\".ZVK\" is appended).");
  pack->add_option("PACKAGE", package, "the package to write")->required();
  pack->add_option("FILE", files, "the files to pack")->required();
  add_names_option(*pack, pack_arguments.names, {"raw", "gbk"}, "store names as they are (raw) or in GBK (gbk)");
  add_job_options(*pack, pack_arguments);

  std::string folder = ".";
  std::vector<std::string> packages;
  JobArguments unpack_arguments{.names = "auto"};
  auto* unpack = app.add_subcommand("unpack", "Write every member of every PACKAGE into one folder.");
  unpack->add_option("-C,--directory", folder, "the folder to unpack into (default: the current folder)");
  unpack->add_option("PACKAGE", packages, "the packages to unpack")->required();
  add_names_option(*unpack, unpack_arguments.names, reading, names_help);
  add_job_options(*unpack, unpack_arguments);

  std::string list_names = "auto";
  auto* list = app.add_subcommand("list", "Show the size and name of each member of PACKAGE.");
  list->add_option("PACKAGE", package, "the package to show")->required();
  add_names_option(*list, list_names, reading, names_help);

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

  if (pack->parsed()) return qv::cli::pack_command(package, files, pack_arguments.options());
  if (unpack->parsed()) return qv::cli::unpack_command(folder, packages, unpack_arguments.options());
  return qv::cli::list_command(package, encoding_named(list_names));
}
