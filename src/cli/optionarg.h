#pragma once

#include <QString>
#include <QStringList>

namespace tobrin {

// One argument of a command line read as an option: "--name=value" is
// split at its "=", and the option's value comes from there or else from
// the next argument, which it then uses up.
class OptionArg {
public:
    // args[*i]; split is false where "--name=value" is no option (after "--").
    OptionArg(const QStringList& args, int* i, bool split = true) : args_(args), i_(i), name_(args.at(*i))
    {
        const int eq = int(name_.indexOf(QLatin1Char('=')));
        if (split && name_.startsWith(QLatin1String("--")) && eq > 0) {
            value_ = name_.mid(eq + 1);
            name_ = name_.left(eq);
            hasValue_ = true;
        }
    }
    const QString& Name() const { return name_; }
    bool HasValue() const { return hasValue_; }
    bool Take(QString* out)
    {
        if (!hasValue_) {
            if (*i_ + 1 >= int(args_.size()))
                return false;
            value_ = args_.at(++*i_);
            hasValue_ = true;
        }
        *out = value_;
        return true;
    }

private:
    const QStringList& args_;
    int* i_;
    QString name_;
    QString value_;
    bool hasValue_ = false;
};

}  // namespace tobrin
