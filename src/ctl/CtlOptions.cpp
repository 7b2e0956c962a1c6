#include "ctl/CtlOptions.h"

#include "model/ParamStore.h"

#include <QUrl>
#include <array>

namespace korva::ctl {

namespace {

constexpr int kMaxDemoProcessors = 64;

struct CommandSyntax {
    const char* name;
    Command command;
    int minArgs;
    int maxArgs; // -1: any number
    const char* usage;
};

constexpr std::array kCommands = {
    CommandSyntax{"list", Command::List, 0, 0, "list"},
    CommandSyntax{"backup", Command::Backup, 1, 1, "backup FILE.PA"},
    CommandSyntax{"restore", Command::Restore, 1, 1, "restore FILE.PA"},
    CommandSyntax{"verify", Command::Verify, 1, 1, "verify FILE.PA"},
    CommandSyntax{"diff", Command::Diff, 2, 2, "diff A.PA B.PA"},
    CommandSyntax{"get", Command::Get, 0, -1, "get [NAME…]"},
    CommandSyntax{"set", Command::Set, 1, -1, "set NAME=VALUE…"},
    CommandSyntax{"eq", Command::Eq, 1, 2, "eq import|match|fit FILE --channel CH，或 eq export --channel CH"},
};

const CommandSyntax* FindCommand(const QString& name) {
    for (const CommandSyntax& syntax : kCommands) {
        if (name == QLatin1String(syntax.name)) {
            return &syntax;
        }
    }
    return nullptr;
}

std::optional<int> ParseInt(const QString& text, int lowest, int highest) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

// --json anywhere before "--", so that even a refused command line answers in JSON.
bool AsksForJson(const QStringList& args) {
    for (const QString& arg : args) {
        if (arg == QLatin1String("--")) {
            return false;
        }
        if (arg == QLatin1String("--json")) {
            return true;
        }
    }
    return false;
}

} // namespace

bool ChangesDevice(Command command) {
    return command == Command::Restore || command == Command::Set || command == Command::Eq;
}

bool NeedsDevice(Command command) {
    return command != Command::Diff;
}

ParsedCommandLine ParseCommandLine(const QStringList& args) {
    CtlOptions options;
    const CommandSyntax* syntax = nullptr;
    bool optionsEnded = false;
    auto fail = [&](const QString& why) {
        options.json = options.json || AsksForJson(args);
        return ParsedCommandLine{options, why};
    };

    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            if (!syntax) {
                syntax = FindCommand(arg);
                if (!syntax) {
                    return fail(QStringLiteral("未知的命令：%1").arg(arg));
                }
                options.command = syntax->command;
                options.commandName = arg;
            } else {
                options.arguments << arg;
            }
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        // --name=value or --name value
        QString name = arg;
        std::optional<QString> inlineValue;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('='));
            eq > 0 && arg.startsWith(QLatin1String("--"))) {
            name = arg.left(eq);
            inlineValue = arg.mid(eq + 1);
        }
        auto takeValue = [&]() -> std::optional<QString> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            return std::nullopt;
        };
        auto noValue = [&]() { return !inlineValue.has_value(); };

        if ((name == QLatin1String("-h") || name == QLatin1String("--help")) && noValue()) {
            options.help = true;
        } else if (name == QLatin1String("--version") && noValue()) {
            options.version = true;
        } else if (name == QLatin1String("--json") && noValue()) {
            options.json = true;
        } else if (name == QLatin1String("--all") && noValue()) {
            options.all = true;
        } else if (name == QLatin1String("--demo")) {
            options.demoCount = 1;
            if (inlineValue) {
                const std::optional<int> count = ParseInt(*inlineValue, 1, kMaxDemoProcessors);
                if (!count) {
                    return fail(
                        QStringLiteral("--demo=N：N 须为 1 到 %1 之间的整数").arg(kMaxDemoProcessors));
                }
                options.demoCount = *count;
            }
        } else if (name == QLatin1String("--device") || name == QLatin1String("--serial") ||
                   name == QLatin1String("--group") || name == QLatin1String("--demo-state") ||
                   name == QLatin1String("--demo-faults") || name == QLatin1String("--remote") ||
                   name == QLatin1String("--token-file") || name == QLatin1String("--ca-file")) {
            const std::optional<QString> value = takeValue();
            if (!value || value->isEmpty()) {
                return fail(QStringLiteral("选项 %1 需要一个值").arg(name));
            }
            if (name == QLatin1String("--device")) {
                options.devicePath = *value;
            } else if (name == QLatin1String("--serial")) {
                options.serial = *value;
            } else if (name == QLatin1String("--demo-state")) {
                options.demoState = *value;
            } else if (name == QLatin1String("--demo-faults")) {
                options.demoFaults = *value;
            } else if (name == QLatin1String("--remote")) {
                const QUrl url(*value, QUrl::StrictMode);
                if (!url.isValid() || url.host().isEmpty() ||
                    (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
                    return fail(QStringLiteral("--remote：须为 http:// 或 https:// 开头的 korvad 地址：%1").arg(*value));
                }
                options.remotes << *value;
            } else if (name == QLatin1String("--token-file")) {
                options.tokenFile = *value;
            } else if (name == QLatin1String("--ca-file")) {
                options.caFile = *value;
            } else {
                const std::optional<int> group = ParseInt(*value, 1, kGroupCount);
                if (!group) {
                    return fail(QStringLiteral("--group：参数组须为 1 到 8（MODEL 1 到 MODEL 8）"));
                }
                options.group = *group - 1;
            }
        } else if (QString why; TakeEqOption(name, inlineValue.has_value(), takeValue, options.eq, &why)) {
            if (!why.isEmpty()) {
                return fail(why);
            }
        } else {
            return fail(QStringLiteral("未知的选项：%1").arg(arg));
        }
    }

    if (options.help || options.version) {
        return {options, QString()};
    }
    if (options.demoCount == 0 && (!options.demoState.isEmpty() || !options.demoFaults.isEmpty())) {
        return fail(QStringLiteral("--demo-state 和 --demo-faults 只能与 --demo 一起使用"));
    }
    if (options.remotes.isEmpty() && (!options.tokenFile.isEmpty() || !options.caFile.isEmpty())) {
        return fail(QStringLiteral("--token-file 和 --ca-file 只能与 --remote 一起使用"));
    }
    if (!options.remotes.isEmpty() && options.demoCount > 0) {
        return fail(QStringLiteral("--remote 和 --demo 不能一起使用"));
    }
    if (!syntax) {
        return fail(QStringLiteral("缺少命令"));
    }
    const int count = int(options.arguments.size());
    if (count < syntax->minArgs || (syntax->maxArgs >= 0 && count > syntax->maxArgs)) {
        return fail(QStringLiteral("用法：korva-ctl %1").arg(QString::fromUtf8(syntax->usage)));
    }
    if (options.command == Command::Set) {
        for (const QString& assignment : options.arguments) {
            if (assignment.indexOf(QLatin1Char('=')) <= 0) {
                return fail(QStringLiteral("set 的参数须为 NAME=VALUE：%1").arg(assignment));
            }
        }
    }
    const int selectors =
        int(!options.devicePath.isEmpty()) + int(!options.serial.isEmpty()) + int(options.all);
    if (selectors > 1) {
        return fail(QStringLiteral("--device、--serial 和 --all 只能用其中一个"));
    }
    if (options.command == Command::Eq) {
        const QString why = CheckEqArguments(options.arguments, selectors > 0, options.eq, options.commandName);
        if (!why.isEmpty()) {
            return fail(why);
        }
    } else if (options.eq.Given()) {
        return fail(QStringLiteral("--channel、--preset、--out、--dry-run 等选项只用于 eq 命令"));
    }
    return {options, QString()};
}

QString HelpText() {
    return QStringLiteral(
        "用法：korva-ctl [选项] 命令 [参数…]\n"
        "\n"
        "KORVA 前级处理器的命令行工具：备份、恢复（并回读校验）、比较和设置参数，\n"
        "可以对一台处理器，也可以同时对整个机架的所有处理器操作。\n"
        "\n"
        "命令：\n"
        "  list                 列出连接的处理器：设备路径、序列号、产品名称、是否应答握手\n"
        "  backup FILE.PA       读出全部参数，写成一个新的配置文件（与“保存”的键、顺序和格式相同）\n"
        "  restore FILE.PA      检查文件后下载到处理器（25 块与结束命令），再全部读回逐字节比较\n"
        "  verify FILE.PA       读出处理器参数与文件比较，不写入\n"
        "  diff A.PA B.PA       比较两个配置文件，不需要处理器\n"
        "  get [NAME…]          读出参数值；不给名称时读出全部公共参数和 --group 所指参数组的参数\n"
        "  set NAME=VALUE…      逐个写入参数（单参数写入，与界面发送的命令相同）\n"
        "  eq import FILTERS.txt --channel CH   导入 REW / Equalizer APO / AutoEq 滤波器文本\n"
        "  eq match CURVE.csv --channel CH      让通道的 EQ 符合给出的曲线（频率, dB）\n"
        "  eq fit MEASUREMENT.txt --channel CH [--target T.txt] [--max-boost DB] [--from HZ --to HZ] [--cuts]\n"
        "                       按测量数据自动均衡（目标减去测量，默认最多提升 6 dB）\n"
        "  eq export --channel CH [--format rew|apo]   把通道的 EQ 输出为滤波器文本\n"
        "\n"
        "选项：\n"
        "  --device PATH        使用这个设备路径的处理器\n"
        "  --serial S           使用这个序列号的处理器\n"
        "  --all                在所有连接的处理器上同时执行，逐台报告\n"
        "  --group N            名称不带 g1.…g8. 时所指的参数组 MODEL N（1–8，默认 1）\n"
        "  --remote URL         通过 korvad 操作那台电脑上的处理器（http:// 或 https://）；\n"
        "                       可给多次，同时检查多个房间，每台处理器一个结果，带上房间的地址\n"
        "  --token-file FILE    korvad 的令牌从 FILE 的第一行读取（否则取环境变量 KORVA_TOKEN）\n"
        "  --ca-file FILE       https 时另外信任 FILE 中的 CA 证书（PEM）\n"
        "  --json               输出 JSON：每个结果一个对象（每台处理器一个），一行一个，英文键\n"
        "  --demo[=N]           使用虚拟处理器（N 台，默认 1 台），不需要硬件\n"
        "  --demo-state DIR     虚拟处理器的存储从 DIR/processor-N.mem 读入，结束时写回\n"
        "  --demo-faults FAULTS   给虚拟处理器设置故障，逗号分隔的 [N:]故障[=K]：drop-acks=K、\n"
        "                       drop-answers=K、silent、unplug-after-frames=K、unplug-after-blocks=K、\n"
        "                       misstore-block=K\n"
        "  --channel CH         eq：通道 music、mic12、mic3、effect、centre、surround、rec\n"
        "  --preset IN.PA       eq：改动配置文件的副本（--out OUT.PA，原子写入），不发送；export 从文件读出\n"
        "  --dry-run            eq：只列出将要改动的参数，不写入\n"
        "  --cuts               eq：拟合时也移动高切和低切\n"
        "  -h, --help           显示本帮助\n"
        "  --version            显示版本\n"
        "\n"
        "连接了多台处理器而没有用 --device、--serial 或 --all 指定时，restore 和 set 拒绝执行并列出它们；\n"
        "只读的命令使用找到的第一台。--all 时 backup 的文件名中 {serial} 换成序列号、{n} 换成序号；\n"
        "两者都没有时在扩展名前加上“-序列号”。\n"
        "\n"
        "数值使用用户单位：Hz（可写 1.2k）、dB、Q、ms、步数，或开关的名称。\n"
        "超出范围的值被拒绝并给出有效范围，不发送任何内容；处理器按自己的步长存储，\n"
        "存储的值与要求的不同时两者都列出。\n"
        "\n"
        "中断（Ctrl-C）：只读的命令立即停止；restore 和 set 先完成并报告，一秒后再中断一次才立即退出。\n"
        "\n"
        "退出码：0 成功；1 发现差异（verify、diff、回读不一致）；2 用法或文件错误；3 设备或连接故障；\n"
        "被信号中断时为 128 加信号编号。无法写入标准输出或标准错误输出时为 2（已用到处理器时为 3）。\n"
        "\n"
        "示例：\n"
        "  korva-ctl backup room1.PA                 备份一个房间\n"
        "  korva-ctl restore --all room1.PA          恢复到整个机架，并逐台回读校验\n"
        "  korva-ctl verify --all room1.PA           检查是否有人改动过\n"
        "  korva-ctl set mic12.eq3.freq=1200 echo.delay=230\n"
        "  korva-ctl --demo=3 restore --all room1.PA 用 3 台虚拟处理器试用\n"
        "  korva-ctl eq fit room.txt --target house.txt --channel music --preset in.PA --out out.PA\n"

        "  KORVA_TOKEN=… korva-ctl --remote https://room1:8650 --remote https://room2:8650 \\\n"
        "      verify --all venue.PA                 通过 korvad 检查每个房间\n");
}

} // namespace korva::ctl
