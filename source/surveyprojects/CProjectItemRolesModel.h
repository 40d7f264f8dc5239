#pragma once

#include <QObject>

// The item roles of the local and the web project lists, visible to QML as ProjectItemRoles.
// The local list model serves 256 to 260; 261 to 263 belong to the web project list.
class CProjectItemRolesModel
{
    Q_GADGET

public:
    enum Roles
    {
        RoleProjectName = 256,
        RoleProjectSizeString = 257,
        RoleProjectCreationDateString = 258,
        RoleProjectSize = 259,
        RoleProjectCreationDate = 260,
        RoleIsImportedByWeb = 261,
        RoleProjectId = 262,
        RoleProjectFolderName = 263
    };
    Q_ENUM(Roles)
};
